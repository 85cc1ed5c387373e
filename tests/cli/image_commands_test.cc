// Runs `mirlot inspect` and `mirlot extract` as built, in a temporary
// folder.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/packing_fixtures.h"
#include "support/temp_folder.h"

namespace mirlot {
namespace {

using namespace std::string_literals;

class InspectExtractCommandTest : public ::testing::Test {
 protected:
  // Packs payloads of 0 bytes, 3 MiB and 246 bytes.
  void SetUp() override {
    folder_.Write("d/empty.dat", MemberBytes(54));
    folder_.Write("d/with space.dat", MemberBytes((3 << 20) + 54, "W"));
    folder_.Write("d/sub/c.dat", MemberBytes(300, "C"));
    folder_.Write("d/list.txt", "empty.dat\r\nwith space.dat\r\nsub/c.dat\r\n");
    ASSERT_EQ(Mirlot({"pack", "d/list.txt"}).exit_status, 0);
  }
  ChildResult Mirlot(std::vector<std::string> args) {
    args.insert(args.begin(), MIRLOT_BINARY);
    return RunChild(args, {.cwd = folder_.root().string()});
  }

  TempFolder folder_;
};

TEST_F(InspectExtractCommandTest, RoundTripThroughInspectAndExtract) {
  ChildResult run = Mirlot({"inspect", "d/out.bin"});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out,
            "d/out.bin: 3145998 bytes, 3 entries\n"
            "names: from d/report.txt\n"
            "    #      offset      length  name\n"
            "    1          24           0  empty.dat\n"
            "    2          24     3145728  with space.dat\n"
            "    3     3145752         246  sub/c.dat\n"
            "sound\n");
  run = Mirlot({"inspect", "--json", "d/out.bin"});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.out.find("\n    {\"number\": 3, \"offset\": 3145752, "
                         "\"length\": 246, \"name\": \"sub/c.dat\"}\n  ],\n  "
                         "\"sound\": true,\n"),
            std::string::npos)
      << run.out;

  EXPECT_EQ(Mirlot({"extract", "d/out.bin"}).exit_status, 0);
  run = Mirlot({"extract", "d/out.bin"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err,
            "mirlot extract: d/out/empty.dat and 2 more files exist already; "
            "nothing extracted; --force replaces them\n");
  EXPECT_EQ(Mirlot({"extract", "--force", "d/out.bin"}).exit_status, 0);
  for (const auto& [member, extracted] :
       {std::pair{"d/empty.dat", "d/out/empty.dat"},
        std::pair{"d/with space.dat", "d/out/with space.dat"},
        std::pair{"d/sub/c.dat", "d/out/c.dat"}}) {
    const std::string bytes = folder_.Read(member);
    EXPECT_TRUE(folder_.Read(extracted) == bytes.substr(50, bytes.size() - 54))
        << member;
  }
}

// SIGTERM (from strace) while the second payload is synced: the first file
// stays whole under its name, the second is neither under its name nor left
// as a temporary file, with --force as without.
TEST_F(InspectExtractCommandTest, SignalLeavesOnlyWholeFilesUnderTheirNames) {
#ifdef _WIN32
  GTEST_SKIP() << "POSIX signals; wine would run the host's strace";
#endif
  const char* strace = "/usr/bin/strace";
  if (RunChild({strace, "-o", "/dev/null", "/bin/true"}).exit_status != 0) {
    GTEST_SKIP() << "strace cannot trace here";
  }
  FolderSnapshot expected = folder_.Snapshot();
  expected.insert({{"d/out", "folder"}, {"d/out/empty.dat", "file:"}});
  for (const char* force : {"", " --force"}) {
    SCOPED_TRACE(force);
    // The leak checker of sanitizer builds cannot work traced.
    const ChildResult run = RunChild(
        {"/bin/sh", "-c",
         "ASAN_OPTIONS=detect_leaks=0 exec /usr/bin/strace -f -qq -o /dev/null"
         " -e inject=fdatasync:signal=SIGTERM:when=2 " MIRLOT_BINARY
         " extract d/out.bin"s +
             force},
        {.cwd = folder_.root().string()});
    EXPECT_EQ(run.exit_status, 143);
    EXPECT_EQ(folder_.Snapshot(), expected);
  }
}

TEST_F(InspectExtractCommandTest, HostileReportNamesStayInsideTheFolder) {
  // Four one-byte entries at 32 to 35.
  folder_.Write("h/deep/out.bin",
                "\0\0\0\x20\0\0\0\x01\0\0\0\x21\0\0\0\x01"
                "\0\0\0\x22\0\0\0\x01\0\0\0\x23\0\0\0\x01"
                "WXYZ"s);
  folder_.Write("h/deep/report.txt",
                "#,            Name,          Offset,       Size\r\n"
                " 1            ../../escape  32            1\r\n"
                " 2            /etc/passwd   33            1\r\n"
                " 3                          34            1\r\n"
                " 4            a/escape      35            1\r\n");
  const FolderSnapshot before = folder_.Snapshot();
  const ChildResult run =
      Mirlot({"extract", "-o", "h/deep/x", "h/deep/out.bin"});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  FolderSnapshot expected = before;
  expected.insert({{"h/deep/x", "folder"},
                   {"h/deep/x/escape", "file:W"},
                   {"h/deep/x/passwd", "file:X"},
                   {"h/deep/x/entry-0003.bin", "file:Y"},
                   {"h/deep/x/entry-0004.bin", "file:Z"}});
  EXPECT_EQ(folder_.Snapshot(), expected);
}

}  // namespace
}  // namespace mirlot
