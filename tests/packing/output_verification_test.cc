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

using Change = std::function<void(FakeFileSystem&)>;

// Changes made after the run: `path` holding `bytes`; the file `p` cut to
// `size` bytes; byte `at` of `path` (from the end when negative) set to
// `value`; `path` holding `bytes` once the list stage looks `looked_up` up;
// the `skip`th call `op` on a path ending in `name` failing with `code`.
Change Put(const std::string& path, const std::string& bytes) {
  return [=](FakeFileSystem& fs) { fs.AddFile(path, bytes); };
}
Change Cut(const std::string& p, std::size_t size) {
  return
      [=](FakeFileSystem& fs) { fs.AddFile(p, fs.Content(p).substr(0, size)); };
}
Change SetByte(const std::string& path, int at, int value) {
  return [=](FakeFileSystem& fs) {
    std::string bytes = fs.Content(path);
    bytes[at < 0 ? bytes.size() + at : at] = static_cast<char>(value);
    fs.AddFile(path, bytes);
  };
}
Change PutOnLookUp(const std::string& looked_up, const std::string& path,
                   const std::string& bytes) {
  return [=](FakeFileSystem& fs) {
    fs.before_each = [&fs, looked_up, path, bytes](Op op, const auto& at) {
      if (op == Op::kStat && at == looked_up) fs.AddFile(path, bytes);
    };
  };
}
Change Fail(Op op, const std::string& name, FailureCode code, int skip = 0) {
  return [=](FakeFileSystem& fs) { fs.FailOn(op, name, Status(code), skip); };
}

TEST(OutputVerificationTest, TellsEachChangeSinceTheRun) {
  using enum FailureCode;
  const std::string list = "a.dat,b.dat\r\nc.dat\r\n", at = "list line ";
  const std::string in = "/d/list.txt";
  const struct {
    std::vector<Change> changes;
    Strings told;  // a failure last, led by "! "
  } rows[] = {
      // clang-format off
      {{SetByte("/d/a.dat", 50, 0xFE), SetByte("/d/b.dat", 1023, 'm')}, {at + "1, field 1: payload differs at byte 51 of a.dat", at + "1, field 2: payload differs at byte 1,024 of b.dat"}},
      {{Put(in, "a.dat,b.dat\r\nnone.dat\r\n")}, {at + "2, field 1: none.dat is missing"}},
      {{Put("/d/c.dat", MemberBytes(53))}, {at + "2, field 1: c.dat is shorter than 54 bytes"}},
      {{Put("/d/a.dat", MemberBytes(101))}, {at + "1, field 1: a.dat has grown by 1 byte", "report lines 2 to 4 differ"}},
      {{Put("/d/b.dat", MemberBytes(990))}, {at + "1, field 2: b.dat has shrunk by 1,010 bytes", "report lines 3 to 4 differ"}},
      {{SetByte("/d/report.txt", -3, '7')}, {"report line 4 differs"}},
      {{Put(in, list + "a.dat\rc.dat\n")}, {"out.bin holds 3 entries, the list names 5", at + "3, field 1: a.dat is not in out.bin", at + "4, field 1: c.dat is not in out.bin", "report lines 2 to 4 differ", "report.txt has 4 lines, the list gives 6"}},
      {{Put(in, "a.dat,b.dat")}, {"out.bin holds 3 entries, the list names 2", "report lines 2 to 3 differ", "report.txt has 4 lines, the list gives 3"}},
      {{Cut("/d/out.bin", 2021)}, {at + "2, field 1: its payload runs past the end of out.bin"}},
      {{SetByte("/d/out.bin", 3, 25)}, {"out.bin does not begin with a sound table"}},
      {{SetByte("/d/out.bin", 19, 0xDF)}, {at + "2, field 1: the table gives offset 2,015, not 2,016", at + "2, field 1: payload differs at byte 51 of c.dat", "out.bin holds 1 byte after its last payload"}},
      {{Put(in, "")}, {"the list names no members"}},
      {{Fail(Op::kOpenForRead, "b.dat", kPermissionDenied)}, {"! /d/b.dat: Permission denied"}},
      {{Fail(Op::kStat, "c.dat", kPermissionDenied)}, {"! /d/c.dat: Permission denied"}},
      {{Fail(Op::kRead, "out.bin", kDeviceIoError, 1)}, {"! /d/out.bin: Device I/O error"}},
      // Changed once the list stage looked c.dat up.
      {{PutOnLookUp("/d/c.dat", in, "a.dat,b.dat\r\nC.dat\r\n")}, {"! /d/list.txt: Path/File access error"}},
      // clang-format on
  };
  for (const auto& row : rows) {
    FakeFileSystem fs;
    fs.AddFile("/d/a.dat", MemberBytes(100, "A"));
    fs.AddFile("/d/b.dat", MemberBytes(2000, "B"));
    fs.AddFile("/d/c.dat", MemberBytes(60, "C"));
    fs.AddFile(in, list);
    ASSERT_EQ(PackList(fs, in), RunOutcome::kDone);
    RunObserver observer;
    for (const Change& change : row.changes) change(fs);
    RecordingDifferences differences;
    Result<std::uint64_t> told = VerifyOutputs(
        fs, in,
        {**fs.OpenForRead("/d/out.bin"), **fs.OpenForRead("/d/report.txt")},
        differences, observer);
    Strings shown = differences.told;
    if (!told.ok()) shown.push_back("! " + told.status().description());
    EXPECT_EQ(shown, row.told);
    EXPECT_TRUE(!told.ok() || *told == differences.told.size());
  }
}

}  // namespace
}  // namespace mirlot
