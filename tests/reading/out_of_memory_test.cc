// inspect, extract and verify running out of memory (std::bad_alloc) at a
// step of theirs: each fails with 7 "Out of memory", as a value, and leaves
// the folder as it was, without a temporary file.
#include <gtest/gtest.h>

#include <new>
#include <string>

#include "runtime/fake_file_system.h"
#include "support/packing_fixtures.h"
#include "support/reader_commands.h"

namespace mirlot {
namespace {

using Op = FakeFileSystem::Op;

// The throw comes at the 1+`skip`-th call of `op` on a path holding `part`:
// in extract, right after a payload's file was made, in the one batch of
// payloads before they are moved, or as they are; in verify, on the thread
// that reads the members, or the other.
TEST(OutOfMemoryTest, ReadersFailWith7AndLeaveTheFolderAsItWas) {
  const struct {
    const char* command;
    Op op;
    const char* part;
    int skip;
    const char* failure = "Out of memory";
  } rows[] = {
      {"inspect", Op::kRead, "/d/report.txt", 0},
      {"extract", Op::kRead, "/d/report.txt", 0},
      {"extract", Op::kAppend, "extract.tmp", 0},
      {"extract", Op::kAppend, "extract.tmp", 1},
      {"extract", Op::kRename, "extract.tmp", 0},
      {"verify", Op::kOpenForRead, "/d/report.txt", 0},
      {"verify", Op::kRead, "/d/a.dat", 1, "/d/list.txt: Out of memory"},
      {"verify", Op::kRead, "/d/report.txt", 0, "/d/list.txt: Out of memory"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.command) + " " + row.part);
    FakeFileSystem fs;
    fs.AddFile("/d/a.dat", MemberBytes(60));
    fs.AddFile("/d/list.txt", "a.dat\na.dat\n");
    ASSERT_EQ(PackList(fs, "/d/list.txt"), RunOutcome::kDone);
    const std::vector<std::string> before = fs.FilePaths();
    fs.before_each = [&, seen = 0](Op op, const std::string& path) mutable {
      if (op == row.op && path.find(row.part) != std::string::npos &&
          seen++ == row.skip) {
        throw std::bad_alloc();
      }
    };
    EXPECT_EQ(RunReader(row.command, fs), Status(7, row.failure));
    EXPECT_EQ(fs.FilePaths(), before);
  }
}

}  // namespace
}  // namespace mirlot
