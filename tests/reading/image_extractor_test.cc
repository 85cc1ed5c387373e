// Extraction over the in-memory file system, and the names of the files it
// writes. The round trip and the refusals run end to end in
// tests/cli/exit_status_test.cc.
#include "reading/image_extractor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

using namespace std::string_literals;
using Op = FakeFileSystem::Op;
using Strings = std::vector<std::string>;

struct Recorder : ExtractObserver {
  void OnWritten(std::uint64_t number, const std::string&,
                 std::uint64_t) override {
    seen += " wrote " + std::to_string(number);
  }
  void OnSkipped(std::uint64_t number, const TableEntry&) override {
    seen += " skipped " + std::to_string(number);
  }
  std::string seen;
};

// Extracts /x/out.bin into /x/out, then cuts the power: what extract said
// it wrote must survive that. Returns the entries written and skipped, or
// the failure.
std::string Extract(FakeFileSystem& fs, bool force) {
  Recorder recorder;
  Result<ImageExtraction> extraction = ImageExtraction::Open(fs, "/x/out.bin");
  if (!extraction.ok()) return extraction.status().description();
  Result<ExtractSummary> summary =
      extraction->WriteTo("/x/out", {force, force}, recorder);
  fs.PowerCut();
  return summary.ok() ? recorder.seen : summary.status().description();
}

TEST(ImageExtractorTest, ForcedUnsoundImageGivesTheEntriesInsideTheFile) {
  FakeFileSystem fs;
  // Entry 2 runs 1 byte past the end, entry 3 starts past it, entry 4 has a
  // negative length; entries 1 and 5 lie inside.
  fs.AddFile("/x/out.bin",
             "\0\0\0\x28\0\0\0\x02\0\0\0\x2A\0\0\0\x04\0\0\0\x40\0\0\0\0"
             "\0\0\0\x29\xFF\xFF\xFF\xFF\0\0\0\x2A\0\0\0\x03"
             "ABCDE"s);
  EXPECT_EQ(Extract(fs, true),
            " wrote 1 skipped 2 skipped 3 skipped 4 wrote 5");
  EXPECT_EQ(fs.Content("/x/out/entry-0001.bin"), "AB");
  EXPECT_EQ(fs.Content("/x/out/entry-0005.bin"), "CDE");
}

// The second payload (in the second temporary file) cannot be written.
TEST(ImageExtractorTest, CopiesInLargeBlocksAndRemovesAPartialFile) {
  FakeFileSystem fs;
  // Entry 1 holds 3 MiB, entry 2 one byte.
  std::string big(3 << 20, 'b');
  std::generate(big.begin(), big.end(),
                [n = 0]() mutable { return static_cast<char>(n++ % 251); });
  fs.AddFile("/x/out.bin",
             "\0\0\0\x10\0\x30\0\0\0\x30\0\x10\0\0\0\x01"s + big + "Z");
  fs.FailOn(Op::kAppend, "tmp-10000002", Status(FailureCode::kDiskFull));
  EXPECT_EQ(Extract(fs, false), "/x/out/entry-0002.bin: Disk full");
  EXPECT_TRUE(fs.Content("/x/out/entry-0001.bin") == big);
  EXPECT_EQ(fs.FilePaths(), (Strings{"/x/out.bin", "/x/out/entry-0001.bin"}));
  EXPECT_LT(std::ranges::count(fs.calls(), "read /x/out.bin"), 20);
}

// Many small payloads are made durable a batch at a time, not one by one.
TEST(ImageExtractorTest, ManySmallPayloadsAreSyncedABatchAtATime) {
  FakeFileSystem fs;
  std::vector<TableEntry> table;
  for (int k = 0; k < 1001; ++k) table.push_back({8008 + k, 1});
  fs.AddFile("/x/out.bin", EncodeTable(table) + std::string(1001, 'p'));
  EXPECT_EQ(Extract(fs, false).size(), 9904u);  // " wrote 1" … " wrote 1001"
  EXPECT_LT(std::ranges::count(fs.calls(), "sync-files /x/out"), 8);
  EXPECT_EQ(fs.Content("/x/out/entry-1001.bin"), "p");
}

TEST(ImageExtractorTest, DefaultFolderIsNamedAfterTheImageBesideIt) {
  EXPECT_EQ(DefaultExtractFolder("d/archive.tar.img"), "d/archive.tar");
  EXPECT_EQ(DefaultExtractFolder("d/image"), "d/image.d");
  EXPECT_EQ(DefaultExtractFolder("d/.bin"), "d/.bin.d");
}

TEST(ExtractNamesTest, SafeFileNameKeepsOnlyAPlainLastComponent) {
  const struct {
    std::string report_name;
    std::optional<std::string> expected;
  } cases[] = {
      {"../../escape", "escape"},
      {"C:\\data\\one.dat", "one.dat"},
      {".hidden", ".hidden"},
      {std::string(255, 'n'), std::string(255, 'n')},
      {std::string(256, 'n'), std::nullopt},
      {"", std::nullopt},
      {".", std::nullopt},
      {"line\nbreak", std::nullopt},
      {"del\x7F", std::nullopt},
      {"c1\xC2\x85name", std::nullopt},  // U+0085, a C1 control
      {"\xC2\xA0nbsp", "\xC2\xA0nbsp"},  // U+00A0 is none
      // The program's own names: the commit record, the folder lock, and
      // temporary and set-aside names for any final name.
      {"x/.mirlot-commit", std::nullopt},
      {".mirlot-commit.lock", std::nullopt},
      {".mirlot-extract.tmp-Ab3dE6gH", std::nullopt},
      {".report.txt.tmp-Xy1zW2vU-old", std::nullopt},
      {"..tmp-00000000", std::nullopt},
      {".a.tmp-Ab3dE6g", ".a.tmp-Ab3dE6g"},    // seven letters
      {".a.tmp-Ab3dE6g_", ".a.tmp-Ab3dE6g_"},  // not a letter or digit
      {"." + std::string(200, 'n') + ".tmp-Ab3dE6gH", std::nullopt},
      {"." + std::string(201, 'n') + ".tmp-Ab3dE6gH",  // stems are cut to 200
       "." + std::string(201, 'n') + ".tmp-Ab3dE6gH"},
#ifdef _WIN32
      {".MIRLOT-COMMIT", std::nullopt},  // the same file as .mirlot-commit
      {".A.TMP-AB3DE6GH-OLD", std::nullopt},
#else
      {".MIRLOT-COMMIT", ".MIRLOT-COMMIT"},
      {".A.TMP-AB3DE6GH-OLD", ".A.TMP-AB3DE6GH-OLD"},
#endif
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SafeFileName(c.report_name), c.expected) << c.report_name;
  }
}

TEST(ExtractNamesTest, NumberedNamesAvoidNamesTakenFromTheReport) {
  EXPECT_EQ(ExtractNames().NameOf(12344), "entry-12345.bin");
  const ExtractNames names({"", "entry-0001.bin", "entry-0001-2.bin", ""});
  EXPECT_EQ(names.NameOf(0), "entry-0001-3.bin");
  EXPECT_EQ(names.NameOf(1), "entry-0001.bin");
  EXPECT_EQ(names.NameOf(2), "entry-0001-2.bin");
  EXPECT_EQ(names.NameOf(3), "entry-0004.bin");
}

}  // namespace
}  // namespace mirlot
