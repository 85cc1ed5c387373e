#include "packing/container_layout.h"

#include <gtest/gtest.h>

namespace mirlot {
namespace {

EntryTable Members(std::initializer_list<std::uint64_t> sizes) {
  EntryTable table;
  for (std::uint64_t size : sizes) table.push_back({"m", "m", size});
  return table;
}

TEST(ContainerLayoutTest, BigEndian32) {
  const struct {
    std::uint32_t value;
    std::string bytes;
  } cases[] = {
      {0, std::string("\x00\x00\x00\x00", 4)},
      {16, std::string("\x00\x00\x00\x10", 4)},
      {1000, std::string("\x00\x00\x03\xE8", 4)},
      {0x7FFFFFFF, std::string("\x7F\xFF\xFF\xFF", 4)},
      {0x01020304, std::string("\x01\x02\x03\x04", 4)},
  };
  for (const auto& c : cases) EXPECT_EQ(BigEndian32(c.value), c.bytes);
}

TEST(ContainerLayoutTest, TablesOfTheWorkedExamples) {
  const struct {
    EntryTable table;
    std::string encoded;
    std::uint64_t image_size;
  } cases[] = {
      {Members({1054}), std::string("\0\0\0\x08\0\0\x03\xE8", 8), 1008},
      {Members({154, 254}),
       std::string("\0\0\0\x10\0\0\0\x64\0\0\0\x74\0\0\0\xC8", 16), 316},
      // A 54-byte member has length 0; the next payload starts where its
      // would have.
      {Members({54, 154}),
       std::string("\0\0\0\x10\0\0\0\0\0\0\0\x10\0\0\0\x64", 16), 116},
  };
  for (const auto& c : cases) {
    Result<ContainerLayout> layout = PlanContainer(c.table);
    ASSERT_TRUE(layout.ok());
    EXPECT_EQ(EncodeTable(*layout), c.encoded);
    EXPECT_EQ(layout->image_size, c.image_size);
  }
}

TEST(ContainerLayoutTest, ImageMustStayBelowTwoGibibytes) {
  // 8 bytes of table + payload: exactly 2^31 - 1 bytes still fits.
  Result<ContainerLayout> largest =
      PlanContainer(Members({0x7FFFFFFFull - 8 + 54}));
  ASSERT_TRUE(largest.ok());
  EXPECT_EQ(largest->image_size, 0x7FFFFFFFu);
  EXPECT_EQ(PlanContainer(Members({0x7FFFFFFFull - 8 + 55})).status().number(),
            6);
  EXPECT_EQ(PlanContainer(Members({0x40000040, 0x40000040})).status().number(),
            6);
  EXPECT_EQ(PlanContainer(Members({1ull << 40})).status().number(), 6);
}

}  // namespace
}  // namespace mirlot
