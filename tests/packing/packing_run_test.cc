#include "packing/packing_run.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

using Op = FakeFileSystem::Op;

class RecordingSink : public MessageSink {
 public:
  void Show(std::string_view text, MessageKind kind) override {
    shown.emplace_back(text);
    kinds.push_back(kind);
  }
  std::vector<std::string> shown;
  std::vector<MessageKind> kinds;
};

class ScriptedObserver : public RunObserver {
 public:
  void OnProgress(std::uint64_t done, std::uint64_t total) override {
    last_done = done;
    last_total = total;
  }
  bool CancelRequested() override { return cancel; }
  bool cancel = false;
  std::uint64_t last_done = 0;
  std::uint64_t last_total = 0;
};

// Distinct bytes for every member, so a payload taken from the wrong place
// or the wrong member shows.
std::string Member(std::size_t size, int seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((seed * 97 + i * 31) % 251);
  }
  return bytes;
}

std::string Payload(const std::string& member) {
  return member.substr(50, member.size() - 54);
}

constexpr char kOldImage[] = "OLD IMAGE";
constexpr char kOldReport[] = "OLD REPORT";

class PackingRunTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.AddFile("/d/a.dat", Member(154, 1));
    fs_.AddFile("/d/b.dat", Member(254, 2));
  }

  RunOutcome Run(const std::string& list_path = "/d/list.txt",
                 bool chosen = true) {
    return RunPacking({.list_chosen = chosen, .list_path = list_path}, fs_,
                      sink_, observer_);
  }

  // Puts outputs of an earlier run in place and remembers every file.
  void KeepEarlierOutputs() {
    fs_.AddFile("/d/out.bin", kOldImage);
    fs_.AddFile("/d/report.txt", kOldReport);
    files_before_ = fs_.FilePaths();
  }

  void ExpectEarlierOutputsUntouched() {
    EXPECT_EQ(fs_.Content("/d/out.bin"), kOldImage);
    EXPECT_EQ(fs_.Content("/d/report.txt"), kOldReport);
    EXPECT_EQ(fs_.FilePaths(), files_before_) << "a file was left or lost";
  }

  FakeFileSystem fs_;
  RecordingSink sink_;
  ScriptedObserver observer_;
  std::vector<std::string> files_before_;
};

TEST_F(PackingRunTest, TypicalRunWritesImageAndReportBesideTheList) {
  const std::string one = Member(1054, 3), two = Member(254, 4);
  fs_.AddFile("/d/one.dat", one);
  fs_.AddFile("/d/two.dat", two);
  fs_.AddFile("/d/list.txt", "one.dat\r\n  two.dat  \r\n");

  EXPECT_EQ(Run(), RunOutcome::kDone);

  EXPECT_EQ(sink_.shown, std::vector<std::string>{"Done"});
  EXPECT_EQ(sink_.kinds, std::vector<MessageKind>{MessageKind::kCompletion});
  EXPECT_EQ(fs_.Content("/d/out.bin"),
            std::string("\0\0\0\x10\0\0\x03\xE8\0\0\x03\xF8\0\0\0\xC8", 16) +
                Payload(one) + Payload(two));
  EXPECT_EQ(fs_.Content("/d/report.txt"),
            "#,            Name,          Offset,       Size\r\n"
            " 1            one.dat        16            1000\r\n"
            " 2            two.dat        1016          200\r\n");
  EXPECT_EQ(fs_.FilePaths(),
            (std::vector<std::string>{"/d/a.dat", "/d/b.dat", "/d/list.txt",
                                      "/d/one.dat", "/d/out.bin",
                                      "/d/report.txt", "/d/two.dat"}));
  EXPECT_EQ(observer_.last_done, 1200u);
  EXPECT_EQ(observer_.last_total, 1200u);
}

TEST_F(PackingRunTest, MembersInFoldersQuotedAbsoluteAndExactly54Bytes) {
  const std::string quoted = Member(60, 5), absolute = Member(54, 6),
                    nested = Member(70, 7);
  fs_.AddFile("/d/sub/x, y.dat", quoted);
  fs_.AddFile("/other/abs.dat", absolute);
  fs_.AddFile("/d/sub/deep/n.dat", nested);
  fs_.AddFile("/d/list.txt", "\"sub/x, y.dat\",/other/abs.dat\nsub/deep/n.dat");

  EXPECT_EQ(Run(), RunOutcome::kDone);

  EXPECT_EQ(fs_.Content("/d/out.bin"),
            std::string("\0\0\0\x18\0\0\0\x06\0\0\0\x1E\0\0\0\x00"
                        "\0\0\0\x1E\0\0\0\x10",
                        24) +
                Payload(quoted) + Payload(nested));
  EXPECT_EQ(fs_.Content("/d/report.txt"),
            "#,            Name,          Offset,       Size\r\n"
            " 1            sub/x, y.dat   24            6\r\n"
            " 2            /other/abs.dat               30            0\r\n"
            " 3            sub/deep/n.dat               30            16\r\n");
}

TEST_F(PackingRunTest, FullTableOf1001PacksAndRepeatsIdentically) {
  std::string list;
  for (int i = 0; i < 1001; ++i) list += i % 2 ? "a.dat\n" : "b.dat\n";
  fs_.AddFile("/d/list.txt", list);

  ASSERT_EQ(Run(), RunOutcome::kDone);
  const std::string image = fs_.Content("/d/out.bin");
  const std::string report = fs_.Content("/d/report.txt");
  EXPECT_EQ(image.size(), 8008u + 501 * 200 + 500 * 100);
  EXPECT_EQ(image.substr(0, 8), std::string("\0\0\x1F\x48\0\0\0\xC8", 8));

  ASSERT_EQ(Run(), RunOutcome::kDone);
  EXPECT_EQ(fs_.Content("/d/out.bin"), image);
  EXPECT_EQ(fs_.Content("/d/report.txt"), report);
}

struct RefusalCase {
  const char* title;
  std::optional<std::string> list;  // nullopt: no list file at all
  std::function<void(FakeFileSystem&)> setup;
  std::vector<std::string> messages;
  RunOutcome outcome;
  std::string list_path = "/d/list.txt";
  bool chosen = true;
};

TEST_F(PackingRunTest, RefusalsAndFailuresLeaveEarlierOutputsUntouched) {
  auto none = [](FakeFileSystem&) {};
  const std::string many(1002 * 6, 'x');
  std::string fields_1002;
  for (int i = 0; i < 1002; ++i) fields_1002 += "a.dat\n";
  const RefusalCase cases[] = {
      {"no list chosen",
       "a.dat",
       none,
       {"No file selected"},
       RunOutcome::kRefused,
       "/d/list.txt",
       false},
      {"list missing",
       std::nullopt,
       none,
       {"Ошибка 53File not found"},
       RunOutcome::kFailed},
      {"list folder missing",
       std::nullopt,
       none,
       {"Ошибка 76Path not found"},
       RunOutcome::kFailed,
       "/nowhere/list.txt"},
      {"list is a folder",
       std::nullopt,
       [](FakeFileSystem& fs) { fs.AddFolder("/d/list.txt"); },
       {"Ошибка 75Path/File access error"},
       RunOutcome::kFailed},
      {"third member missing",
       "a.dat\r\nb.dat\r\nc.dat\r\n",
       none,
       {"Ошибка 53File not found"},
       RunOutcome::kFailed},
      {"hidden first member",
       ".h.dat\r\na.dat\r\n",
       [](FakeFileSystem& fs) { fs.AddFile("/d/.h.dat", Member(100, 8)); },
       {"Файл # 0 не существует!"},
       RunOutcome::kRefused},
      {"folder as second member",
       "a.dat\r\nsub\r\n",
       [](FakeFileSystem& fs) { fs.AddFolder("/d/sub"); },
       {"Файл # 1 не существует!"},
       RunOutcome::kRefused},
      {"pipe as member",
       "p\r\n",
       [](FakeFileSystem& fs) { fs.AddSpecial("/d/p"); },
       {"Файл # 0 не существует!"},
       RunOutcome::kRefused},
      {"member of 53 bytes",
       "a.dat\nb.dat\nc.dat\n",
       [](FakeFileSystem& fs) { fs.AddFile("/d/c.dat", Member(53, 9)); },
       {"Файл # 2 короче 54 байт!"},
       RunOutcome::kRefused},
      {"empty list",
       "",
       none,
       {"Не найдено ни одного файла", "Done"},
       RunOutcome::kDone},
      {"blank line in the middle",
       "a.dat\r\n\r\nb.dat\r\n",
       none,
       {"Ошибка 53File not found"},
       RunOutcome::kFailed},
      {"only spaces after the last line end",
       "a.dat\r\n   ",
       none,
       {"Ошибка 62Input past end of file"},
       RunOutcome::kFailed},
      {"nul byte in a field",
       std::string("a\0.dat\n", 7),
       none,
       {"Ошибка 52Bad file name or number"},
       RunOutcome::kFailed},
      {"1002 fields",
       fields_1002,
       none,
       {"Ошибка 9Subscript out of range"},
       RunOutcome::kFailed},
  };
  for (const RefusalCase& c : cases) {
    SCOPED_TRACE(c.title);
    FakeFileSystem fresh;
    fs_ = std::move(fresh);
    SetUp();
    c.setup(fs_);
    if (c.list) fs_.AddFile("/d/list.txt", *c.list);
    KeepEarlierOutputs();
    sink_.shown.clear();

    EXPECT_EQ(Run(c.list_path, c.chosen), c.outcome);

    EXPECT_EQ(sink_.shown, c.messages);
    ExpectEarlierOutputsUntouched();
  }
}

TEST_F(PackingRunTest, TrimmedNameIsTheOnePathLookedUpAndOpened) {
  fs_.AddFile("/d/list.txt", "  b.dat  \n");
  ASSERT_EQ(Run(), RunOutcome::kDone);
  for (const std::string& call : fs_.calls()) {
    if (call.find("b.dat") != std::string::npos) {
      EXPECT_TRUE(call == "stat /d/b.dat" || call == "open /d/b.dat" ||
                  call == "read /d/b.dat")
          << call;
    }
  }
}

struct FaultCase {
  Op op;
  const char* path_part;
  FailureCode failure;
  int skip;
  const char* message;
};

TEST_F(PackingRunTest, OutputStageFaultsLeaveEarlierOutputsUntouched) {
  const FaultCase cases[] = {
      {Op::kCreateTemporary, ".out.bin", FailureCode::kPermissionDenied, 0,
       "Ошибка 70Permission denied"},
      {Op::kCreateTemporary, ".report.txt", FailureCode::kDiskFull, 0,
       "Ошибка 61Disk full"},
      {Op::kAppend, ".report.txt", FailureCode::kDiskFull, 0,
       "Ошибка 61Disk full"},
      {Op::kAppend, ".out.bin", FailureCode::kDiskFull, 0,
       "Ошибка 61Disk full"},
      // The table, then both small payloads in one block.
      {Op::kAppend, ".out.bin", FailureCode::kDiskFull, 1,
       "Ошибка 61Disk full"},
      {Op::kOpenForRead, "/d/b.dat", FailureCode::kFileNotFound, 0,
       "Ошибка 53File not found"},
      {Op::kRead, "/d/a.dat", FailureCode::kPathFileAccessError, 0,
       "Ошибка 75Path/File access error"},
      {Op::kClose, ".report.txt", FailureCode::kDiskFull, 0,
       "Ошибка 61Disk full"},
      {Op::kClose, ".out.bin", FailureCode::kDiskFull, 0, "Ошибка 61Disk full"},
      {Op::kRename, "out.bin", FailureCode::kPermissionDenied, 0,
       "Ошибка 70Permission denied"},
      // The second of the two moves fails: the first is undone.
      {Op::kRename, "report.txt", FailureCode::kPermissionDenied, 0,
       "Ошибка 70Permission denied"},
  };
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(std::string(c.path_part) + " skip " + std::to_string(c.skip));
    FakeFileSystem fresh;
    fs_ = std::move(fresh);
    SetUp();
    fs_.AddFile("/d/list.txt", "a.dat\nb.dat\n");
    KeepEarlierOutputs();
    fs_.FailOn(c.op, c.path_part, Status(c.failure), c.skip);
    sink_.shown.clear();

    EXPECT_EQ(Run(), RunOutcome::kFailed);

    EXPECT_EQ(sink_.shown, std::vector<std::string>{c.message});
    ExpectEarlierOutputsUntouched();
  }
}

TEST_F(PackingRunTest, MemberChangedSinceTheListStageFailsTheRun) {
  const struct {
    const char* title;
    std::function<void(FakeFileSystem&)> change;
    const char* message;
  } cases[] = {
      {"shrank", [](FakeFileSystem& fs) { fs.AddFile("/d/b.dat", "short"); },
       "Ошибка 62Input past end of file"},
      {"vanished", [](FakeFileSystem& fs) { fs.RemoveFile("/d/b.dat"); },
       "Ошибка 53File not found"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.title);
    FakeFileSystem fresh;
    fs_ = std::move(fresh);
    SetUp();
    fs_.AddFile("/d/list.txt", "a.dat\nb.dat\n");
    KeepEarlierOutputs();
    const std::vector<std::string> expected_files = fs_.FilePaths();
    // Change the member once the outputs are being written.
    bool changed = false;
    fs_.before_each = [&](Op op, const std::string&) {
      if (op == Op::kCreateTemporary && !changed) {
        changed = true;
        c.change(fs_);
      }
    };
    sink_.shown.clear();

    EXPECT_EQ(Run(), RunOutcome::kFailed);

    fs_.before_each = nullptr;
    EXPECT_EQ(sink_.shown, std::vector<std::string>{c.message});
    EXPECT_EQ(fs_.Content("/d/out.bin"), kOldImage);
    EXPECT_EQ(fs_.Content("/d/report.txt"), kOldReport);
    for (const std::string& path : fs_.FilePaths()) {
      EXPECT_EQ(path.find(".tmp"), std::string::npos) << path;
    }
  }
}

TEST_F(PackingRunTest, CancelEndsSilentlyWithNothingChanged) {
  fs_.AddFile("/d/list.txt", "a.dat\nb.dat\n");
  KeepEarlierOutputs();
  observer_.cancel = true;

  EXPECT_EQ(Run(), RunOutcome::kCancelled);

  EXPECT_TRUE(sink_.shown.empty());
  ExpectEarlierOutputsUntouched();
}

}  // namespace
}  // namespace mirlot
