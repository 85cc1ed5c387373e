#include "packing/report.h"

#include <gtest/gtest.h>

namespace mirlot {
namespace {

TEST(ReportTest, HeadingWordsStartAtColumns1_15_30_44) {
  EXPECT_EQ(ReportHeading(),
            "#,            Name,          Offset,       Size\r\n");
  EXPECT_EQ(ReportHeading().size(), 47u + 2u);
}

TEST(ReportTest, LinesPlaceFieldsInZones) {
  const struct {
    std::size_t index;
    std::string name;
    PayloadPlace place;
    std::string line;
  } cases[] = {
      {0,
       "a.dat",
       {16, 100},
       " 1            a.dat          16            100\r\n"},
      // 20 characters: ends at column 34, offset moves to column 43.
      {1,
       "abcdefghijklmnopqrst",
       {116, 7},
       " 2            abcdefghijklmnopqrst         116           7\r\n"},
      // 14 characters end on the zone's last column: the offset goes a zone
      // further, to column 43.
      {2,
       "abcdefghijklmn",
       {8, 0},
       " 3            abcdefghijklmn               8             0\r\n"},
      // Cyrillic name in UTF-8: one column per letter.
      {9,
       "\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB",
       {1016, 200},
       " 10           \xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB           1016          "
       "200\r\n"},
      {1000,
       "x",
       {2147483647, 0},
       " 1001         x              2147483647    0\r\n"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ReportLine(c.index, c.name, c.place), c.line) << c.name;
  }
}

}  // namespace
}  // namespace mirlot
