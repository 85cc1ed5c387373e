// The packing run over the in-memory file system: a good list packed byte
// for byte, and the faults only a fake can make in the middle of a run,
// each of which must leave the earlier outputs as they were.
#include "packing/packing_run.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "runtime/fake_file_system.h"
#include "support/packing_fixtures.h"

namespace mirlot {
namespace {

using namespace std::string_literals;
using Op = FakeFileSystem::Op;

// A quoted name with a comma, a quoted absolute path with spaces around it
// (the trimmed name is the one looked up), a member of exactly 54 bytes and
// a UTF-8 name, on CR LF and LF lines.
TEST(PackingRunTest, PacksAMixedListByteForByte) {
  FakeFileSystem fs;
  fs.AddFile("/d/sub/x, y.dat", MemberBytes(58, "XY01"));
  fs.AddFile("/other/abs.dat", MemberBytes(54));
  fs.AddFile("/d/файл.dat", MemberBytes(56, "Ж"));
  fs.AddFile("/d/list.txt",
             "\"sub/x, y.dat\",\"  /other/abs.dat \"\r\nфайл.dat\n");
  // A folder that cannot be locked is packed unprotected.
  fs.FailOn(Op::kLockFolder, "/d", Status(FailureCode::kPermissionDenied));
  RecordingSink sink;
  RunObserver observer;
  EXPECT_EQ(RunPacking({true, "/d/list.txt"}, fs, sink, observer),
            RunOutcome::kDone);
  EXPECT_EQ(sink.shown, std::vector<std::string>{"Done"});
  EXPECT_EQ(fs.Content("/d/out.bin"),
            "\0\0\0\x18\0\0\0\x04\0\0\0\x1C\0\0\0\0\0\0\0\x1C\0\0\0\x02XY01Ж"s);
  EXPECT_EQ(fs.Content("/d/report.txt"),
            "#,            Name,          Offset,       Size\r\n"
            " 1            sub/x, y.dat   24            4\r\n"
            " 2            /other/abs.dat               28            0\r\n"
            " 3            файл.dat       28            2\r\n");
}

TEST(PackingRunTest, FaultMidRunLeavesEarlierOutputsUntouched) {
  // The image's second append holds both small payloads in one block; the
  // image is the first of the two moves. A failing member is the stream's
  // to test.
  const struct {
    Op op;
    const char* part;
    int skip;
  } rows[] = {{Op::kCreateTemporary, ".report.txt", 0},
              {Op::kAppend, ".report.txt", 0},
              {Op::kAppend, ".out.bin", 1},
              {Op::kClose, ".report.txt", 0},
              {Op::kClose, ".out.bin", 0},
              {Op::kRename, "out.bin", 0}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.part);
    FakeFileSystem fs;
    fs.AddFile("/d/a.dat", MemberBytes(154));
    fs.AddFile("/d/b.dat", MemberBytes(254));
    fs.AddFile("/d/list.txt", "a.dat\nb.dat\n");
    fs.AddFile("/d/out.bin", "OLD IMAGE");
    fs.AddFile("/d/report.txt", "OLD REPORT");
    fs.FailOn(row.op, row.part, Status(FailureCode::kDiskFull), row.skip);
    RecordingSink sink;
    RunObserver observer;
    EXPECT_EQ(RunPacking({true, "/d/list.txt"}, fs, sink, observer),
              RunOutcome::kFailed);
    EXPECT_EQ(sink.shown, std::vector<std::string>{"Ошибка 61Disk full"});
    EXPECT_EQ(fs.Content("/d/out.bin"), "OLD IMAGE");
    EXPECT_EQ(fs.Content("/d/report.txt"), "OLD REPORT");
    for (const std::string& path : fs.FilePaths()) {
      EXPECT_EQ(path.find(".tmp"), std::string::npos) << path << " left";
    }
  }
}

// Records waits for the folder; cancels once one started, or at once.
class Canceller : public RunObserver {
 public:
  explicit Canceller(bool at_once) : at_once_(at_once) {}
  void OnWaitingForFolder(const std::string& folder, bool waiting) override {
    seen += (waiting ? "wait " : "over ") + folder + ";";
  }
  bool CancelRequested() override { return at_once_ || !seen.empty(); }
  std::string seen;

 private:
  bool at_once_;
};

// A second run started between the first run's two moves, the worst moment,
// waits for the folder instead of moving its own outputs in; cancelled while
// it waits, it shows nothing and changes nothing.
TEST(PackingRunTest, SecondRunWaitsForTheFolderBetweenTheFirstRunsMoves) {
  FakeFileSystem fs;
  fs.AddFile("/d/a.dat", MemberBytes(58, "AAAA"));
  fs.AddFile("/d/b.dat", MemberBytes(58, "BBBB"));
  fs.AddFile("/d/one.txt", "a.dat\n");
  fs.AddFile("/d/two.txt", "b.dat\n");
  RecordingSink second_sink;
  Canceller second(false);
  RunOutcome second_outcome = RunOutcome::kDone;
  fs.between_replacements = [&, started = false]() mutable {
    if (std::exchange(started, true)) return;
    second_outcome = RunPacking({true, "/d/two.txt"}, fs, second_sink, second);
  };
  RecordingSink sink;
  RunObserver observer;
  EXPECT_EQ(RunPacking({true, "/d/one.txt"}, fs, sink, observer),
            RunOutcome::kDone);
  EXPECT_EQ(second_outcome, RunOutcome::kCancelled);
  EXPECT_EQ(second.seen, "wait /d;over /d;");
  EXPECT_TRUE(second_sink.shown.empty());
  EXPECT_EQ(fs.Content("/d/out.bin"),
            "\0\0\0\x08\0\0\0\x04"
            "AAAA"s);
  EXPECT_EQ(fs.Content("/d/report.txt"),
            "#,            Name,          Offset,       Size\r\n"
            " 1            a.dat          8             4\r\n");
}

// A cancelled run shows nothing, not even what the list stage found, and
// changes nothing.
TEST(PackingRunTest, CancelledRunIsSilentAndChangesNothing) {
  for (const char* list : {"a.dat\n", "a.dat\nmissing.dat\n", ""}) {
    SCOPED_TRACE(list);
    FakeFileSystem fs;
    fs.AddFile("/d/a.dat", MemberBytes(154));
    fs.AddFile("/d/list.txt", list);
    fs.AddFile("/d/out.bin", "OLD IMAGE");
    RecordingSink sink;
    Canceller observer(true);
    EXPECT_EQ(RunPacking({true, "/d/list.txt"}, fs, sink, observer),
              RunOutcome::kCancelled);
    EXPECT_TRUE(sink.shown.empty());
    EXPECT_EQ(fs.FilePaths(), (std::vector<std::string>{
                                  "/d/a.dat", "/d/list.txt", "/d/out.bin"}));
    EXPECT_EQ(fs.Content("/d/out.bin"), "OLD IMAGE");
  }
}

}  // namespace
}  // namespace mirlot
