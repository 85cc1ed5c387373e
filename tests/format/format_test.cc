// The formats both directions share, as literal bytes, and each read back
// to what was written: the image's table and the report's lines.
#include <gtest/gtest.h>

#include <vector>

#include "format/image_table.h"
#include "format/report_text.h"

namespace mirlot {
namespace {

using namespace std::string_literals;

TEST(ImageTableTest, EncodesBigEndianAndDecodesToTheSameEntries) {
  const struct {
    std::vector<TableEntry> entries;
    std::string encoded;
  } cases[] = {
      {{{16, 100}, {116, 200}}, "\0\0\0\x10\0\0\0\x64\0\0\0\x74\0\0\0\xC8"s},
      {{{0x7FFFFFFF, 0x01020304}}, "\x7F\xFF\xFF\xFF\x01\x02\x03\x04"s},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(EncodeTable(c.entries), c.encoded);
    for (std::size_t k = 0; k < c.entries.size(); ++k) {
      EXPECT_EQ(DecodeTableEntry(c.encoded.data() + 8 * k), c.entries[k]);
    }
  }
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
