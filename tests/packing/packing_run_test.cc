// The packing run over the in-memory file system: a good list packed byte
// for byte, and the faults only a fake can make in the middle of a run,
// each of which must leave the earlier outputs as they were.
#include "packing/packing_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <new>
#include <string>
#include <vector>

#include "packing/container_layout.h"
#include "runtime/fake_file_system.h"
#include "support/packing_fixtures.h"

namespace mirlot {
namespace {

using namespace std::string_literals;
using Op = FakeFileSystem::Op;
using Strings = std::vector<std::string>;

// Records waits for the folder; cancels once a wait started, or at once.
struct Canceller : RunObserver {
  void OnWaitingForFolder(const std::string& folder, bool waiting) override {
    seen += (waiting ? "wait " : "over ") + folder + ";";
  }
  bool CancelRequested() override { return at_once || !seen.empty(); }
  bool at_once = false;
  std::string seen;
};

// Packs the list `name` in /d, expecting `outcome`; returns what it showed.
Strings Pack(FakeFileSystem& fs, const std::string& name, RunOutcome outcome,
             RunObserver& observer) {
  RecordingSink sink;
  EXPECT_EQ(RunPacking({"/d/" + name}, fs, sink, observer), outcome);
  return sink.shown;
}

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
  RunObserver observer;
  EXPECT_EQ(Pack(fs, "list.txt", RunOutcome::kDone, observer), Strings{"Done"});
  EXPECT_EQ(fs.Content("/d/out.bin"),
            "\0\0\0\x18\0\0\0\x04\0\0\0\x1C\0\0\0\0\0\0\0\x1C\0\0\0\x02XY01Ж"s);
  EXPECT_EQ(fs.Content("/d/report.txt"),
            "#,            Name,          Offset,       Size\r\n"
            " 1            sub/x, y.dat   24            4\r\n"
            " 2            /other/abs.dat               28            0\r\n"
            " 3            файл.dat       28            2\r\n");
}

// A list holds up to 1001 members, each looked up once by name and opened
// once for its bytes. An image must stay below 2 GiB: 8 bytes of table and a
// payload of 2^31 - 9 bytes still fit.
TEST(PackingRunTest, ListAndImageStayWithinTheirLimits) {
  FakeFileSystem fs;
  fs.AddFile("/d/a.dat", MemberBytes(55, "A"));
  std::string list;
  for (int k = 0; k < 1001; ++k) list += "a.dat\r\n";
  fs.AddFile("/d/list.txt", list);
  RunObserver observer;
  EXPECT_EQ(Pack(fs, "list.txt", RunOutcome::kDone, observer), Strings{"Done"});
  EXPECT_EQ(fs.Content("/d/out.bin").size(), 9009u);
  EXPECT_EQ(std::ranges::count(fs.calls(), "stat /d/a.dat"), 1001);
  EXPECT_EQ(std::ranges::count(fs.calls(), "open /d/a.dat"), 1001);
  const std::uint64_t largest = 0x7FFFFFFFull - 8 + 54;
  EXPECT_EQ(PlanContainer({{largest, 0, {}}})->image_size, 0x7FFFFFFFu);
  EXPECT_EQ(PlanContainer({{largest + 1, 0, {}}}).status().number(), 6);
}

// A fault in the middle of a run fails it with its message; a run cancelled
// at once (no fault) shows nothing, not even what the list stage found, and
// neither does one cancelled while its outputs and record are synced.
// Either way no file changes: a failing move of the commit is undone by the
// run itself. The image's second append holds both small payloads in one
// block; the list's second read is the one that looks for its end. A
// failing member is the stream's to test, a failing write the fault rows'
// (a full disk, a file-size limit), a stop at every step of the run the
// crash table's. Memory running out (std::bad_alloc, 7) in the list
// stage, on the reading thread, on the writing one, right after the image's
// file was made or between the commit's moves is a failure too, and so is a
// list changed in place (75) before the report or the copy reads the names
// again.
TEST(PackingRunTest, FaultMidRunLeavesEarlierOutputsUntouched) {
  // The fault of a row, and what the run shows then (kNone: cancelled).
  enum Fault { kThrows, kFails, kListEdited, kNone, kCancels };
  const char* shown[] = {"Ошибка 7Out of memory", "Ошибка 61Disk full",
                         "Ошибка 75Path/File access error"};
  const struct {
    Fault fault;
    Op op;
    const char* part;
    int skip = 0;
    const char* list = "a.dat\nb.dat\n";
  } rows[] = {{kThrows, Op::kStat, "b.dat"},
              {kThrows, Op::kRead, "b.dat"},
              {kThrows, Op::kAppend, ".out.bin", 1},
              {kThrows, Op::kCreateTemporary, ".report.txt"},
              {kListEdited, Op::kCreateTemporary, ".out.bin"},
              {kListEdited, Op::kAppend, ".out.bin"},
              {kFails, Op::kSyncFiles, "/d"},
              {kFails, Op::kSyncFiles, ".mirlot-commit"},
              {kCancels, Op::kSyncFiles, "/d"},
              {kFails, Op::kRename, "out.bin"},
              {kThrows, Op::kRename, "report.txt"},
              {kFails, Op::kRead, "list.txt", 1},
              {kNone, Op::kRead, "", 0, "a.dat\nmissing.dat\n"},
              {kNone, Op::kRead, "", 0, ""}};
  for (const auto& row : rows) {
    SCOPED_TRACE(&row - rows);
    FakeFileSystem fs;
    fs.AddFile("/d/a.dat", MemberBytes(154));
    fs.AddFile("/d/b.dat", MemberBytes(254));
    fs.AddFile("/d/list.txt", row.list);
    fs.AddFile("/d/out.bin", "OLD IMAGE");
    fs.AddFile("/d/report.txt", "OLD REPORT");
    const Strings before = fs.FilePaths();
    Canceller observer;
    observer.at_once = row.fault == kNone;
    fs.before_each = [&, seen = 0](Op op, const std::string& path) mutable {
      if (row.fault == kNone || op != row.op ||
          path.find(row.part) == std::string::npos || seen++ != row.skip) {
        return;
      }
      if (row.fault == kThrows) throw std::bad_alloc();
      if (row.fault == kFails) fs.FailOn(op, path, Status(61, "Disk full"));
      if (row.fault == kListEdited) fs.AddFile("/d/list.txt", "b.dat\nb.dat\n");
      observer.at_once |= row.fault == kCancels;
    };
    const bool cancels = row.fault >= kNone;
    const RunOutcome outcome =
        cancels ? RunOutcome::kCancelled : RunOutcome::kFailed;
    EXPECT_EQ(Pack(fs, "list.txt", outcome, observer),
              cancels ? Strings{} : Strings{shown[row.fault]});
    EXPECT_EQ(fs.FilePaths(), before);
    EXPECT_EQ(fs.Content("/d/out.bin"), "OLD IMAGE");
    EXPECT_EQ(fs.Content("/d/report.txt"), "OLD REPORT");
  }
}

// A second run started between the first run's two moves, the worst moment,
// waits for the folder instead of moving its own outputs in; cancelled while
// it waits, it shows nothing and changes nothing.
TEST(PackingRunTest, SecondRunWaitsForTheFolderBetweenTheFirstRunsMoves) {
  FakeFileSystem fs;
  fs.AddFile("/d/a.dat", MemberBytes(58, "AAAA"));
  fs.AddFile("/d/b.dat", MemberBytes(58, "BBBB"));
  fs.AddFile("/d/one.txt", "a.dat\n");
  fs.AddFile("/d/two.txt", "b.dat\n");
  Canceller second;
  fs.before_each = [&](Op op, const std::string& path) {
    if (op != Op::kRename || !path.ends_with("-> /d/report.txt")) return;
    EXPECT_EQ(Pack(fs, "two.txt", RunOutcome::kCancelled, second), Strings{});
  };
  RunObserver observer;
  EXPECT_EQ(Pack(fs, "one.txt", RunOutcome::kDone, observer), Strings{"Done"});
  EXPECT_EQ(second.seen, "wait /d;over /d;");
  EXPECT_EQ(fs.Content("/d/out.bin"), "\0\0\0\x08\0\0\0\4AAAA"s);
  EXPECT_EQ(fs.Content("/d/report.txt"),
            "#,            Name,          Offset,       Size\r\n"
            " 1            a.dat          8             4\r\n");
}

}  // namespace
}  // namespace mirlot
