#include "runtime/text.h"

#include <gtest/gtest.h>

#include "runtime/number_text.h"
#include "runtime/path.h"
#include "runtime/print_zone.h"

namespace mirlot {
namespace {

TEST(TextTest, TrimSpacesDropsOnlySpaces) {
  EXPECT_EQ(TrimSpaces("  a b  "), "a b");
  EXPECT_EQ(TrimSpaces("\ta\t"), "\ta\t");
  EXPECT_EQ(TrimSpaces("   "), "");
}

TEST(TextTest, DisplayColumnsCountsUtf8SequencesAndStrayBytes) {
  const struct {
    std::string text;
    std::size_t columns;
  } cases[] = {
      {"", 0},
      {"a.dat", 5},
      {"\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB", 4},  // "файл"
      {"\xE2\x82\xAC", 1},                      // euro sign
      {"\xF0\x9F\x98\x80", 1},                  // emoji
      {"\xFF\xFE", 2},                          // not UTF-8
      {"\xC0\xAF", 2},                          // overlong
      {"\xED\xA0\x80", 3},                      // surrogate
      {"\xD1", 1},                              // cut short
      {"\xE2\x82"
       "a",
       3},  // cut short, then ASCII
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DisplayColumns(c.text), c.columns) << c.text;
  }
}

TEST(TextTest, StrNumberLeadsWithBlankOrMinus) {
  EXPECT_EQ(StrNumber(0), " 0");
  EXPECT_EQ(StrNumber(16), " 16");
  EXPECT_EQ(StrNumber(-38), "-38");
  EXPECT_EQ(StrNumber(2147483647), " 2147483647");
}

TEST(TextTest, PrintZonesPlaceItemsAtTheNextZoneStart) {
  const struct {
    std::vector<std::string> items;
    std::string line;
  } cases[] = {
      {{" 1", "ab"}, " 1            ab\r\n"},
      // An item ending on a zone's last column pushes the next one a zone on.
      {{"1234567890123", "x"}, "1234567890123 x\r\n"},
      {{"12345678901234", "x"}, "12345678901234              x\r\n"},
      {{"123456789012345", "x"}, "123456789012345             x\r\n"},
      // Multi-byte characters take one column each.
      {{"\xD1\x84\xD0\xB0", "x"}, "\xD1\x84\xD0\xB0            x\r\n"},
  };
  for (const auto& c : cases) {
    PrintZoneLine line;
    for (const auto& item : c.items) line.Add(item);
    EXPECT_EQ(line.Finish(), c.line);
  }
}

TEST(PathTest, ParentAndResolve) {
  EXPECT_EQ(ParentFolder("list.txt"), ".");
  EXPECT_EQ(ParentFolder("/list.txt"), "/");
  EXPECT_EQ(ParentFolder("/d/e/list.txt"), "/d/e");
  EXPECT_EQ(ResolveIn("/d", "a.dat"), "/d/a.dat");
  EXPECT_EQ(ResolveIn("/", "a.dat"), "/a.dat");
  EXPECT_EQ(ResolveIn(".", "a.dat"), "a.dat");
  EXPECT_EQ(ResolveIn("/d", "/x/a.dat"), "/x/a.dat");
  EXPECT_EQ(ResolveIn("/d", ""), "");
  EXPECT_EQ(LastComponent("/d/.hidden"), ".hidden");
}

}  // namespace
}  // namespace mirlot
