// A catalog judges an image once and reads each row when asked: names from
// report lines far past the last remembered line start. What it says of
// other images shows in the image window's tests.
#include "reading/image_catalog.h"

#include <gtest/gtest.h>

#include <string>

#include "format/report_text.h"
#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

using namespace std::string_literals;

// An image of 130 empty payloads and the report naming them n1 to n130.
void AddImage(FakeFileSystem& fs) {
  std::string table, report = ReportHeading();
  for (std::size_t index = 0; index < 130; ++index) {
    table += "\0\0\x04\x10\0\0\0\0"s;
    report += ReportLine(index, "n" + std::to_string(index + 1), {1040, 0});
  }
  fs.AddFile("/i/out.bin", table);
  fs.AddFile("/i/report.txt", report);
}

TEST(ImageCatalogTest, ReadsEachRowWhenAsked) {
  FakeFileSystem fs;
  AddImage(fs);
  Result<std::unique_ptr<ImageCatalog>> catalog =
      ImageCatalog::Open(fs, "/i/out.bin");
  ASSERT_TRUE(catalog.ok()) << catalog.status().description();
  ImageCatalog& image = **catalog;
  EXPECT_EQ(image.size_words(), "1040 bytes, 130 entries");
  EXPECT_EQ(image.names_note(), "names: from /i/report.txt");
  EXPECT_EQ(image.verdict(), "sound");
  const struct {
    std::uint64_t index;
    CatalogRow row;
  } rows[] = {{0, {1, {1040, 0}, "n1"}},
              {63, {64, {1040, 0}, "n64"}},
              {64, {65, {1040, 0}, "n65"}},
              {129, {130, {1040, 0}, "n130"}}};
  for (const auto& row : rows) {
    Result<CatalogRow> got = image.Row(row.index);
    ASSERT_TRUE(got.ok()) << row.index;
    EXPECT_EQ(*got, row.row) << row.index;
  }
  EXPECT_EQ(image.Row(130).status().number(), 9);
}

}  // namespace
}  // namespace mirlot
