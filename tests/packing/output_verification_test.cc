// The check of a run's outputs against its list over the in-memory file
// system: each kind of change made after the run, with the exact lines it
// is told as. The command's own lines, a pair that still matches among
// them, run end to end in tests/cli/exit_status_test.cc.
#include "packing/output_verification.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "packing/packing_run.h"
#include "runtime/fake_file_system.h"
#include "support/packing_fixtures.h"

namespace mirlot {
namespace {

using Op = FakeFileSystem::Op;
using Strings = std::vector<std::string>;

struct RecordingDifferences : DifferenceSink {
  void OnDifference(const std::string& text) override { told.push_back(text); }
  Strings told;
};

// Sets byte `at` of `path`, counted from the end when negative, to `value`.
void SetByte(FakeFileSystem& fs, const std::string& path, int at, int value) {
  std::string bytes = fs.Content(path);
  bytes[at < 0 ? bytes.size() + at : at] = static_cast<char>(value);
  fs.AddFile(path, bytes);
}

TEST(OutputVerificationTest, TellsEachChangeSinceTheRun) {
  using Change = std::function<void(FakeFileSystem&)>;
  const std::string list = "a.dat,b.dat\r\nc.dat\r\n";
  const auto set_list = [](std::string text) -> Change {
    return [text](FakeFileSystem& fs) { fs.AddFile("/d/list.txt", text); };
  };
  const struct {
    Change change;
    Strings told;
    std::string failure = "";
  } rows[] = {
      // clang-format off
      {[](FakeFileSystem& fs) { SetByte(fs, "/d/a.dat", 50, 0xFE); SetByte(fs, "/d/b.dat", 1023, 'm'); }, {"list line 1, field 1: payload differs at byte 51 of a.dat", "list line 1, field 2: payload differs at byte 1,024 of b.dat"}},
      {set_list("a.dat,b.dat\r\nnone.dat\r\n"), {"list line 2, field 1: none.dat is missing"}},
      {[](FakeFileSystem& fs) { fs.AddFile("/d/c.dat", MemberBytes(53)); }, {"list line 2, field 1: c.dat is shorter than 54 bytes"}},
      {[](FakeFileSystem& fs) { fs.AddFile("/d/a.dat", MemberBytes(101)); }, {"list line 1, field 1: a.dat has grown by 1 byte", "report lines 2 to 4 differ"}},
      {[](FakeFileSystem& fs) { fs.AddFile("/d/b.dat", MemberBytes(990)); }, {"list line 1, field 2: b.dat has shrunk by 1,010 bytes", "report lines 3 to 4 differ"}},
      {[](FakeFileSystem& fs) { SetByte(fs, "/d/report.txt", -3, '7'); }, {"report line 4 differs"}},
      {set_list(list + "a.dat\rc.dat\n"), {"out.bin holds 3 entries, the list names 5", "list line 3, field 1: a.dat is not in out.bin", "list line 4, field 1: c.dat is not in out.bin", "report lines 2 to 4 differ", "report.txt has 4 lines, the list gives 6"}},
      {set_list("a.dat,b.dat"), {"out.bin holds 3 entries, the list names 2", "report lines 2 to 3 differ", "report.txt has 4 lines, the list gives 3"}},
      {[](FakeFileSystem& fs) { fs.AddFile("/d/out.bin", fs.Content("/d/out.bin").substr(0, 2021)); }, {"list line 2, field 1: its payload runs past the end of out.bin"}},
      {[](FakeFileSystem& fs) { SetByte(fs, "/d/out.bin", 3, 25); }, {"out.bin does not begin with a sound table"}},
      {[](FakeFileSystem& fs) { SetByte(fs, "/d/out.bin", 19, 0xDF); }, {"list line 2, field 1: the table gives offset 2,015, not 2,016", "list line 2, field 1: payload differs at byte 51 of c.dat", "out.bin holds 1 byte after its last payload"}},
      {set_list(""), {"the list names no members"}},
      {[](FakeFileSystem& fs) { fs.FailOn(Op::kOpenForRead, "b.dat", Status(FailureCode::kPermissionDenied)); }, {}, "/d/b.dat: Permission denied"},
      {[](FakeFileSystem& fs) { fs.FailOn(Op::kStat, "c.dat", Status(FailureCode::kPermissionDenied)); }, {}, "/d/c.dat: Permission denied"},
      {[](FakeFileSystem& fs) { fs.FailOn(Op::kRead, "out.bin", Status(FailureCode::kDeviceIoError), 1); }, {}, "/d/out.bin: Device I/O error"},
      // Changed once the list stage looked c.dat up.
      {[](FakeFileSystem& fs) { fs.before_each = [&fs](Op op, const std::string& path) { if (op == Op::kStat && path == "/d/c.dat") fs.AddFile("/d/list.txt", "a.dat,b.dat\r\nC.dat\r\n"); }; }, {}, "/d/list.txt: Path/File access error"},
      // clang-format on
  };
  for (const auto& row : rows) {
    FakeFileSystem fs;
    fs.AddFile("/d/a.dat", MemberBytes(100, "A"));
    fs.AddFile("/d/b.dat", MemberBytes(2000, "B"));
    fs.AddFile("/d/c.dat", MemberBytes(60, "C"));
    fs.AddFile("/d/list.txt", list);
    ASSERT_EQ(PackList(fs, "/d/list.txt"), RunOutcome::kDone);
    RunObserver observer;
    row.change(fs);
    auto image = fs.OpenForRead("/d/out.bin");
    auto report = fs.OpenForRead("/d/report.txt");
    RecordingDifferences differences;
    Result<std::uint64_t> told = VerifyOutputs(
        fs, "/d/list.txt", {**image, **report}, differences, observer);
    SCOPED_TRACE(testing::PrintToString(row.told) + row.failure);
    EXPECT_EQ(differences.told, row.told);
    EXPECT_EQ(
        told.ok() ? std::to_string(*told) : told.status().description(),
        row.failure.empty() ? std::to_string(row.told.size()) : row.failure);
  }
}

}  // namespace
}  // namespace mirlot
