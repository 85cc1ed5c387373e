// The image's table entries and the report's lines as literal bytes, each
// read back to what it was made of. The table's rules are held to damaged
// images by the reading suites.
#include <gtest/gtest.h>

#include <vector>

#include "format/image_table.h"
#include "format/report_text.h"

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
// packing run's, with the heading). A column for each UTF-8 sequence and
// one for each byte outside one (stray, overlong, surrogate, cut short).
// Each line parses back to what it was made of.
TEST(ReportTextTest, LinesPlaceFieldsInZonesAndParseBack) {
  const struct {
    std::size_t index;
    std::string name;
    std::int64_t offset, size;
    std::string line;
  } cases[] = {
      // clang-format off
      {1, "abcdefghijklmnopqrst", 116, 7, " 2            abcdefghijklmnopqrst         116           7\r\n"},
      {2, "abcdefghijklm", 8, 0, " 3            abcdefghijklm  8             0\r\n"},
      {3, "\xE2\x82\xAC\xF0\x9F\x98\x80", 8, 0, " 4            \xE2\x82\xAC\xF0\x9F\x98\x80             8             0\r\n"},
      {4, "\xFF\xC0\xAF\xED\xA0\x80\xE2\x82.\xD1", 8, 0, " 5            \xFF\xC0\xAF\xED\xA0\x80\xE2\x82.\xD1     8             0\r\n"},
      {1000, "x 12 y", 2147483647, 0, " 1001         x 12 y         2147483647    0\r\n"},
      // clang-format on
  };
  for (const auto& c : cases) {
    const std::string line = ReportLine(c.index, c.name, {c.offset, c.size});
    EXPECT_EQ(line, c.line) << c.name;
    EXPECT_EQ(
        ParseReportLine(std::string_view(line).substr(0, line.size() - 2)),
        (ReportEntry{static_cast<std::int64_t>(c.index) + 1,
                     c.name,
                     {c.offset, c.size}}));
  }
}

}  // namespace
}  // namespace mirlot
