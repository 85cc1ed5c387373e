// Runs `mirlot inspect` and `mirlot extract` as built, in a temporary
// folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace mirlot {
namespace {

namespace fs = std::filesystem;

// Bytes that differ from member to member and from position to position.
std::string MemberBytes(std::size_t size, char seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>(seed + i * 7 + i / 251);
  }
  return bytes;
}

class InspectExtractCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Payloads of 0, 1000 and 246 bytes at 24, 24 and 1024.
    folder_.Write("d/empty.dat", MemberBytes(54, 'e'));
    folder_.Write("d/with space.dat", MemberBytes(1054, 'w'));
    folder_.Write("d/sub/c.dat", MemberBytes(300, 'c'));
    folder_.Write("d/list.txt", "empty.dat\r\nwith space.dat\r\nsub/c.dat\r\n");
    ASSERT_EQ(Mirlot({"pack", "d/list.txt"}).exit_status, 0);
  }
  ChildResult Mirlot(std::vector<std::string> args) {
    args.insert(args.begin(), MIRLOT_BINARY);
    return RunChild(args, folder_.root().string());
  }

  TempFolder folder_;
};

TEST_F(InspectExtractCommandTest, RoundTripThroughInspectAndExtract) {
  ChildResult run = Mirlot({"inspect", "d/out.bin"});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out,
            "d/out.bin: 1270 bytes, 3 entries\n"
            "names: from d/report.txt\n"
            "    #      offset      length  name\n"
            "    1          24           0  empty.dat\n"
            "    2          24        1000  with space.dat\n"
            "    3        1024         246  sub/c.dat\n"
            "sound\n");

  run = Mirlot({"inspect", "--json", "d/out.bin"});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_NE(run.out.find("\n    {\"number\": 3, \"offset\": 1024, \"length\": "
                         "246, \"name\": \"sub/c.dat\"}\n  ],\n  \"sound\": "
                         "true,\n"),
            std::string::npos)
      << run.out;

  run = Mirlot({"extract", "d/out.bin"});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.out.substr(run.out.rfind("extracted")),
            "extracted 3 of 3 entries to d/out\n");
  for (const auto& [member, extracted] :
       {std::pair{"d/empty.dat", "d/out/empty.dat"},
        std::pair{"d/with space.dat", "d/out/with space.dat"},
        std::pair{"d/sub/c.dat", "d/out/c.dat"}}) {
    const std::string bytes = folder_.Read(member);
    EXPECT_EQ(folder_.Read(extracted), bytes.substr(50, bytes.size() - 54))
        << member;
  }

  run = Mirlot({"extract", "d/out.bin"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.err,
            "mirlot extract: d/out/empty.dat and 2 more files exist already; "
            "nothing extracted; --force replaces them\n");
  EXPECT_EQ(Mirlot({"extract", "--force", "d/out.bin"}).exit_status, 0);
}

TEST_F(InspectExtractCommandTest, DamagedImageIsUnsoundAndRefused) {
  folder_.Write("d/out.bin", folder_.Read("d/out.bin") + "x");
  ChildResult run = Mirlot({"inspect", "d/out.bin"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_NE(run.out.find("\nunsound: 1 problem\n  entry 3: the last payload "
                         "ends at 1270, 1 byte before the end of the file: "
                         "trailing bytes\n"),
            std::string::npos)
      << run.out;
  run = Mirlot({"extract", "-o", "refused", "d/out.bin"});
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_FALSE(fs::exists(folder_.Path("refused")));
}

TEST_F(InspectExtractCommandTest, UsageErrorsAndUnreadableImagesGiveTwo) {
  const std::vector<std::vector<std::string>> runs = {
      {"inspect", "d/missing.bin"},
      {"extract", "d/missing.bin"},
      {"inspect", "d"},
      {"inspect"},
      {"extract", "d/out.bin", "--bogus"},
  };
  for (const auto& args : runs) {
    const ChildResult run = Mirlot(args);
    EXPECT_EQ(run.exit_status, 2) << args[0] << " " << args.back();
    EXPECT_NE(run.err, "");
  }
  EXPECT_EQ(Mirlot({"inspect", "d/missing.bin"}).err,
            "mirlot inspect: cannot read d/missing.bin: File not found\n");
}

TEST_F(InspectExtractCommandTest, HostileReportNamesStayInsideTheFolder) {
  // Four one-byte entries at 32 to 35.
  folder_.Write("h/deep/out.bin",
                std::string("\0\0\0\x20\0\0\0\x01\0\0\0\x21\0\0\0\x01"
                            "\0\0\0\x22\0\0\0\x01\0\0\0\x23\0\0\0\x01",
                            32) +
                    "WXYZ");
  folder_.Write("h/deep/report.txt",
                "#,            Name,          Offset,       Size\r\n"
                " 1            ../../escape  32            1\r\n"
                " 2            /etc/passwd   33            1\r\n"
                " 3                          34            1\r\n"
                " 4            a/escape      35            1\r\n");
  const ChildResult run =
      Mirlot({"extract", "-o", "h/deep/x", "h/deep/out.bin"});
  EXPECT_EQ(run.exit_status, 0) << run.err;
  std::vector<std::string> found;
  for (const auto& entry :
       fs::recursive_directory_iterator(folder_.Path("h"))) {
    if (entry.is_regular_file()) {
      found.push_back(fs::relative(entry.path(), folder_.Path("h")).string());
    }
  }
  std::sort(found.begin(), found.end());
  EXPECT_EQ(found,
            (std::vector<std::string>{
                "deep/out.bin", "deep/report.txt", "deep/x/entry-0003.bin",
                "deep/x/entry-0004.bin", "deep/x/escape", "deep/x/passwd"}));
  EXPECT_EQ(folder_.Read("h/deep/x/escape"), "W");
}

}  // namespace
}  // namespace mirlot
