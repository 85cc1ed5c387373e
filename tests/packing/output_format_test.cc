// What a run writes: the image's big-endian table and the report's lines.
#include <gtest/gtest.h>

#include "packing/container_layout.h"
#include "packing/report.h"

namespace mirlot {
namespace {

using namespace std::string_literals;

EntryTable Members(std::initializer_list<std::uint64_t> sizes) {
  EntryTable table;
  for (std::uint64_t size : sizes) table.push_back({"m", size});
  return table;
}

TEST(ContainerLayoutTest, TablesOfTheWorkedExamples) {
  EXPECT_EQ(BigEndian32(0x01020304), "\x01\x02\x03\x04");
  const struct {
    EntryTable table;
    std::string encoded;
    std::uint64_t image_size;
  } cases[] = {
      {Members({1054}), "\0\0\0\x08\0\0\x03\xE8"s, 1008},
      {Members({154, 254}), "\0\0\0\x10\0\0\0\x64\0\0\0\x74\0\0\0\xC8"s, 316},
      // A 54-byte member has length 0; the next payload starts where its
      // would have.
      {Members({54, 154}), "\0\0\0\x10\0\0\0\0\0\0\0\x10\0\0\0\x64"s, 116},
  };
  for (const auto& c : cases) {
    Result<ContainerLayout> layout = PlanContainer(c.table);
    EXPECT_EQ(EncodeTable(*layout), c.encoded);
    EXPECT_EQ(layout->image_size, c.image_size);
  }
}

TEST(ContainerLayoutTest, ImageMustStayBelowTwoGibibytes) {
  // 8 bytes of table + payload: exactly 2^31 - 1 bytes still fits.
  EXPECT_EQ(PlanContainer(Members({0x7FFFFFFFull - 8 + 54}))->image_size,
            0x7FFFFFFFu);
  EXPECT_EQ(PlanContainer(Members({0x7FFFFFFFull - 8 + 55})).status().number(),
            6);
}

// A name ends in the zone it reaches; the offset goes to the next zone,
// one further when the name ends on a zone's last column. A column for each
// UTF-8 sequence and one for each byte outside one (stray, overlong,
// surrogate, cut short). The heading is checked with whole reports.
TEST(ReportTest, HeadingAndLinesPlaceFieldsInZones) {
  const struct {
    std::size_t index;
    std::string name;
    std::uint32_t offset, size;
    std::string line;
  } cases[] = {
      {1, "abcdefghijklmnopqrst", 116, 7,
       " 2            abcdefghijklmnopqrst         116           7\r\n"},
      {2, "abcdefghijklm", 8, 0,
       " 3            abcdefghijklm  8             0\r\n"},
      {2, "abcdefghijklmn", 8, 0,
       " 3            abcdefghijklmn               8             0\r\n"},
      {3, "\xE2\x82\xAC\xF0\x9F\x98\x80", 8, 0,
       " 4            \xE2\x82\xAC\xF0\x9F\x98\x80             8             "
       "0\r\n"},
      {4, "\xFF\xC0\xAF\xED\xA0\x80\xE2\x82.\xD1", 8, 0,
       " 5            \xFF\xC0\xAF\xED\xA0\x80\xE2\x82.\xD1     8             "
       "0\r\n"},
      {1000, "x", 2147483647, 0,
       " 1001         x              2147483647    0\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReportLine(c.index, c.name, {c.offset, c.size}), c.line)
        << c.name;
  }
}

}  // namespace
}  // namespace mirlot
