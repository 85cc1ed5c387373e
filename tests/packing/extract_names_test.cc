#include "packing/extract_names.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace mirlot {
namespace {

TEST(SafeFileNameTest, KeepsOnlyAPlainLastComponent) {
  const struct {
    std::string report_name;
    std::optional<std::string> expected;
  } cases[] = {
      {"a.dat", "a.dat"},
      {"sub/gamma, with comma.dat", "gamma, with comma.dat"},
      {"../../escape", "escape"},
      {"/etc/passwd", "passwd"},
      {"C:\\data\\one.dat", "one.dat"},
      {"..\\..\\x", "x"},
      {".hidden", ".hidden"},
      {"", std::nullopt},
      {".", std::nullopt},
      {"..", std::nullopt},
      {"dir/", std::nullopt},
      {"a/..", std::nullopt},
      {std::string("a\0b", 3), std::nullopt},
      {"line\nbreak", std::nullopt},
      {"del\x7F", std::nullopt},
      {std::string(255, 'n'), std::string(255, 'n')},
      {std::string(256, 'n'), std::nullopt},
      {"\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB", "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SafeFileName(c.report_name), c.expected) << c.report_name;
  }
}

TEST(ExtractNamesTest, NumbersEveryEntryWithoutAReport) {
  const ExtractNames names;
  EXPECT_EQ(names.NameOf(0), "entry-0001.bin");
  EXPECT_EQ(names.NameOf(41), "entry-0042.bin");
  EXPECT_EQ(names.NameOf(12344), "entry-12345.bin");
}

TEST(ExtractNamesTest, ReplacesUnsafeAndRepeatedNamesByNumberedOnes) {
  const ExtractNames names({"../../escape", "/etc/passwd", "", "a.dat",
                            "other/a.dat", "..", "a.dat"});
  const std::vector<std::string> expected = {
      "escape",         "passwd",         "entry-0003.bin", "a.dat",
      "entry-0005.bin", "entry-0006.bin", "entry-0007.bin"};
  for (std::size_t k = 0; k < expected.size(); ++k) {
    EXPECT_EQ(names.NameOf(k), expected[k]) << k;
  }
}

TEST(ExtractNamesTest, NumberedNameTakenByAReportNameGetsAVariant) {
  const ExtractNames names({"", "entry-0001.bin", "entry-0001-2.bin", ""});
  EXPECT_EQ(names.NameOf(0), "entry-0001-3.bin");
  EXPECT_EQ(names.NameOf(1), "entry-0001.bin");
  EXPECT_EQ(names.NameOf(2), "entry-0001-2.bin");
  EXPECT_EQ(names.NameOf(3), "entry-0004.bin");
}

}  // namespace
}  // namespace mirlot
