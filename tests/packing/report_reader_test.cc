#include "packing/report_reader.h"

#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

struct LineCase {
  const char* line;
  std::optional<ReportEntry> expected;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const LineCase& c, std::ostream* out) { *out << c.line; }

class ParseReportLineTest : public testing::TestWithParam<LineCase> {};

TEST_P(ParseReportLineTest, SplitsFromBothEnds) {
  const LineCase& c = GetParam();
  std::optional<ReportEntry> got = ParseReportLine(c.line);
  ASSERT_EQ(got.has_value(), c.expected.has_value()) << c.line;
  if (!got) return;
  EXPECT_EQ(got->number, c.expected->number);
  EXPECT_EQ(got->name, c.expected->name);
  EXPECT_EQ(got->place, c.expected->place);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, ParseReportLineTest,
    testing::Values(
        LineCase{" 1            a.dat         16            100",
                 ReportEntry{1, "a.dat", {16, 100}}},
        LineCase{" 2            my file 16.dat               116           "
                 "200",
                 ReportEntry{2, "my file 16.dat", {116, 200}}},
        LineCase{" 3            12 34         316           0",
                 ReportEntry{3, "12 34", {316, 0}}},
        LineCase{" 4                          316           0",
                 ReportEntry{4, "", {316, 0}}},
        LineCase{" 5            a\tb          16           -38",
                 ReportEntry{5, "a\tb", {16, -38}}},
        LineCase{" 1            a             16", std::nullopt},
        LineCase{"#,            Name,          Offset,       Size",
                 std::nullopt},
        LineCase{"", std::nullopt},
        LineCase{" 1x           a             16            100", std::nullopt},
        LineCase{" 1            a             16            1e3", std::nullopt},
        LineCase{" 1            a             1234567890123 1", std::nullopt}));

constexpr char kHeading[] =
    "#,            Name,          Offset,       Size\r\n";
// Entries at 16 (2 bytes) and 18 (2 bytes).
const std::string kImage =
    std::string("\0\0\0\x10\0\0\0\x02\0\0\0\x12\0\0\0\x02", 16) + "ABCD";
const std::string kLine1 = " 1            a.dat         16            2\r\n";
const std::string kLine2 = " 2            sub/b c       18            2\r\n";

struct MatchCase {
  const char* label;
  std::string report;
  ReportMatch::State state;
  const char* detail;
};

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const MatchCase& c, std::ostream* out) { *out << c.label; }

class MatchReportTest : public testing::TestWithParam<MatchCase> {};

TEST_P(MatchReportTest, ComparesEntryForEntry) {
  const MatchCase& c = GetParam();
  FakeFileSystem file_system;
  file_system.AddFile("/i/out.bin", kImage);
  file_system.AddFile("/i/report.txt", c.report);
  auto file = file_system.OpenForRead("/i/out.bin");
  ASSERT_TRUE(file.ok());
  Result<ImageReader> image = ImageReader::Open(**file);
  ASSERT_TRUE(image.ok());
  std::vector<std::string> names{"stale"};
  Result<ReportMatch> match =
      MatchReport(file_system, "/i/report.txt", *image, &names);
  ASSERT_TRUE(match.ok());
  EXPECT_EQ(match->state, c.state);
  EXPECT_EQ(match->detail, c.detail);
  if (c.state == ReportMatch::State::kMatches) {
    EXPECT_EQ(names, (std::vector<std::string>{"a.dat", "sub/b c"}));
  } else {
    EXPECT_TRUE(names.empty());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Reports, MatchReportTest,
    testing::Values(
        MatchCase{"matches", kHeading + kLine1 + kLine2,
                  ReportMatch::State::kMatches, ""},
        MatchCase{"matches_with_lf_endings",
                  "#,            Name,          Offset,       Size\n"
                  " 1            a.dat         16            2\n"
                  " 2            sub/b c       18            2",
                  ReportMatch::State::kMatches, ""},
        MatchCase{"empty", "", ReportMatch::State::kMismatch, "it is empty"},
        MatchCase{"no_heading", kLine1 + kLine2, ReportMatch::State::kMismatch,
                  "its first line is not the heading"},
        MatchCase{"fewer_lines", kHeading + kLine1,
                  ReportMatch::State::kMismatch, "it ends before entry 2"},
        MatchCase{"more_lines", kHeading + kLine1 + kLine2 + kLine2,
                  ReportMatch::State::kMismatch,
                  "it lists more entries than the table's 2"},
        MatchCase{"other_offset",
                  kHeading + kLine1 +
                      " 2            b             20            2\r\n",
                  ReportMatch::State::kMismatch,
                  "line 3 gives offset 20, length 2, the table offset 18, "
                  "length 2"},
        MatchCase{"other_number",
                  kHeading + kLine1 +
                      " 3            b             18            2\r\n",
                  ReportMatch::State::kMismatch,
                  "line 3 has entry number 3 instead of 2"},
        MatchCase{"garbled_line", kHeading + kLine1 + "garbage\r\n",
                  ReportMatch::State::kMismatch, "line 3 is not an entry line"},
        MatchCase{"overlong_line",
                  kHeading + kLine1 + std::string(70000, 'x') + "\r\n",
                  ReportMatch::State::kUnreadable,
                  "line 3 is longer than 65536 bytes"}),
    [](const testing::TestParamInfo<MatchCase>& info) {
      return std::string(info.param.label);
    });

TEST(MatchReportTest, MissingReportIsNoMatch) {
  FakeFileSystem file_system;
  file_system.AddFile("/i/out.bin", kImage);
  auto file = file_system.OpenForRead("/i/out.bin");
  ASSERT_TRUE(file.ok());
  Result<ImageReader> image = ImageReader::Open(**file);
  ASSERT_TRUE(image.ok());
  Result<ReportMatch> match = MatchReport(file_system, "/i/report.txt", *image);
  ASSERT_TRUE(match.ok());
  EXPECT_EQ(match->state, ReportMatch::State::kMissing);
  EXPECT_EQ(match->path, "/i/report.txt");
}

}  // namespace
}  // namespace mirlot
