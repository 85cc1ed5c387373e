// A member that changes on disk after the list stage measured it and before
// the payload pass copies it. The timing cannot be arranged from outside the
// process, so a file system over the host's makes the change at the moment
// the member is opened for copying.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "faults/fault_folder.h"
#include "packing/packing_run.h"
#include "runtime/posix_file_system.h"

namespace mirlot {
namespace {

// The host file system, except that `change` runs once, right before the
// first open of `member` after an output file was created.
class ChangingFileSystem : public PosixFileSystem {
 public:
  ChangingFileSystem(std::string member, std::function<void()> change)
      : member_(std::move(member)), change_(std::move(change)) {}

  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& path) override {
    if (output_started_ && path == member_ && change_) {
      std::exchange(change_, nullptr)();
    }
    return PosixFileSystem::OpenForRead(path);
  }
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& folder, const std::string& final_name) override {
    output_started_ = true;
    return PosixFileSystem::CreateTemporary(folder, final_name);
  }

 private:
  std::string member_;
  std::function<void()> change_;
  bool output_started_ = false;
};

class RecordingSink : public MessageSink {
 public:
  void Show(std::string_view text, MessageKind) override {
    shown.emplace_back(text);
  }
  std::vector<std::string> shown;
};

struct ChangeRow {
  const char* name;
  std::function<void(const FaultFolder&)> change;  // applied to b.dat
  std::string message;

  friend void PrintTo(const ChangeRow& row, std::ostream* out) {
    *out << row.name;
  }
};

namespace fs = std::filesystem;

const ChangeRow kChangeRows[] = {
    {"Vanishes", [](const FaultFolder& s) { fs::remove(s.Path("b.dat")); },
     "Ошибка 53File not found"},
    {"ShrinksIntoItsPayload",
     [](const FaultFolder& s) { s.Resize("b.dat", 60); },
     "Ошибка 62Input past end of file"},
    {"LosesOnlyItsTail", [](const FaultFolder& s) { s.Resize("b.dat", 98); },
     "Ошибка 62Input past end of file"},
    {"BecomesEmpty", [](const FaultFolder& s) { s.Resize("b.dat", 0); },
     "Ошибка 62Input past end of file"},
    {"BecomesPipe",
     [](const FaultFolder& s) {
       fs::remove(s.Path("b.dat"));
       s.MakePipe("b.dat");
     },
     "Ошибка 75Path/File access error"},
    {"BecomesFolder",
     [](const FaultFolder& s) {
       fs::remove(s.Path("b.dat"));
       s.MakeFolder("b.dat");
     },
     "Ошибка 75Path/File access error"},
};

class MemberChange : public ::testing::TestWithParam<ChangeRow> {};

TEST_P(MemberChange, FailsTheRunAndKeepsEarlierOutputs) {
  FaultFolder scratch;
  scratch.Write("a.dat", MemberBytes(100, "AAAA"));
  scratch.Write("b.dat", MemberBytes(100, "BBBB"));
  scratch.Write("c.dat", MemberBytes(100, "CCCC"));
  scratch.Write("list.txt", "a.dat\nb.dat\nc.dat\n");
  const RunRequest request{.list_chosen = true,
                           .list_path = scratch.Path("list.txt")};
  PosixFileSystem host;
  RecordingSink first;
  RunObserver observer;
  ASSERT_EQ(RunPacking(request, host, first, observer), RunOutcome::kDone);
  const std::string image = scratch.Read("out.bin");
  const std::string report = scratch.Read("report.txt");

  ChangingFileSystem changing(scratch.Path("b.dat"),
                              [&] { GetParam().change(scratch); });
  RecordingSink second;
  EXPECT_EQ(RunPacking(request, changing, second, observer),
            RunOutcome::kFailed);
  EXPECT_EQ(second.shown, std::vector<std::string>{GetParam().message});
  EXPECT_EQ(scratch.Read("out.bin"), image);
  EXPECT_EQ(scratch.Read("report.txt"), report);
  for (const auto& [name, what] : scratch.Snapshot()) {
    EXPECT_EQ(name.find(".tmp-"), std::string::npos) << name << " left";
  }
}

INSTANTIATE_TEST_SUITE_P(AfterListStage, MemberChange,
                         ::testing::ValuesIn(kChangeRows),
                         [](const ::testing::TestParamInfo<ChangeRow>& row) {
                           return row.param.name;
                         });

}  // namespace
}  // namespace mirlot
