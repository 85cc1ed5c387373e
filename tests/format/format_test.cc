// The image's table entries and the report's lines as literal bytes, each
// read back to what it was made of, the report's through its line reader.
// The table's rules are held to damaged images by the reading suites.
#include <gtest/gtest.h>

#include <vector>

#include "format/image_table.h"
#include "format/report_text.h"
#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

using namespace std::string_literals;

// Big-endian fields, up to the largest a writer gives. The reading suites
// read negative fields from literal bytes.
TEST(ImageTableTest, EntriesAreBigEndianFieldsAndDecodeBack) {
  const std::vector<TableEntry> entries = {{16, 0}, {0x7FFFFFFF, 0x01020304}};
  const std::string bytes =
      "\0\0\0\x10\0\0\0\0\x7F\xFF\xFF\xFF\x01\x02\x03\x04"s;
  EXPECT_EQ(EncodeTable(entries), bytes);
  EXPECT_EQ(DecodeTableEntry(bytes.data() + 8), entries[1]);
}

// A name ends in the zone it reaches; the offset goes to the next zone,
// one further when the name ends on a zone's last column (a row of the
// packing run's). A column for each UTF-8 sequence and one for each byte
// outside one (stray, overlong, surrogate, cut short). The report they make
// reads back line by line to what it was made of; other lines parse to
// nothing.
TEST(ReportTextTest, LinesPlaceFieldsInZonesAndReadBack) {
  const struct {
    ReportEntry entry;
    std::string line;
  } cases[] = {
      // clang-format off
      {{2, "abcdefghijklmnopqrst", {116, 7}}, " 2            abcdefghijklmnopqrst         116           7\r\n"},
      {{3, "abcdefghijklm", {8, 0}}, " 3            abcdefghijklm  8             0\r\n"},
      {{4, "\xE2\x82\xAC\xF0\x9F\x98\x80", {8, 0}}, " 4            \xE2\x82\xAC\xF0\x9F\x98\x80             8             0\r\n"},
      {{5, "\xFF\xC0\xAF\xED\xA0\x80\xE2\x82.\xD1", {8, 0}}, " 5            \xFF\xC0\xAF\xED\xA0\x80\xE2\x82.\xD1     8             0\r\n"},
      {{1001, "x 12 y", {2147483647, 0}}, " 1001         x 12 y         2147483647    0\r\n"},
      // clang-format on
  };
  std::string report = ReportHeading();
  for (const auto& [entry, line] : cases) {
    report += ReportLine(entry.number - 1, entry.name, entry.place);
    EXPECT_TRUE(report.ends_with(line)) << entry.name;
  }
  // Then other line ends, read keeping 3 bytes of a line: a longer one is
  // read to its end and kept cut ("+"), a CR before its LF not counted. The
  // long line's CR ends the first read of 64 KiB, its LF begins the second.
  report += "a\nabcd\r\nabc\r\n\r\r\n";
  report += std::string(65535 - report.size(), 'x') + "\r\nabcd\r";
  FakeFileSystem fs;
  fs.AddFile("/report.txt", report);
  auto file = fs.OpenForRead("/report.txt");
  ReportLineReader lines(**file);
  EXPECT_TRUE(IsReportHeading(**lines.Next()));
  for (const auto& c : cases)
    EXPECT_EQ(ParseReportLine(**lines.Next()), c.entry);
  std::string got;
  while (auto line = *lines.NextLine(3))
    got += "[" + line->text + (line->cut ? "]+" : "]") + std::string(line->end);
  EXPECT_EQ(got, "[a]\n[abc]+\r\n[abc]\r\n[\r]\r\n[xxx]+\r\n[abc]+\r");
  // Blanks only, a field missing, a field of 13 digits.
  for (const char* other : {"   ", " 2  b  18", " 2  b  1234567890123 2"})
    EXPECT_EQ(ParseReportLine(other), std::nullopt) << other;
}

}  // namespace
}  // namespace mirlot
