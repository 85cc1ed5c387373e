// A catalog judges an image once and reads each row when asked: names from
// report lines far past the last remembered line start, none when the
// report does not match, one line for a file that is not an image.
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

TEST(ImageCatalogTest, SaysWhatIsWrongWithAnImageOrItsReport) {
  const struct {
    std::string image, report;  // report "": none
    std::string headline, names_note, verdict, first_problem;
  } cases[] = {
      {"\0\0\0\x08\0\0\0\x02WX"s, "", "10 bytes, 1 entry",
       "names: none (no /i/report.txt)", "sound", ""},
      {"\0\0\0\x08\0\0\0\x09WX"s, "#, Name\r\n", "10 bytes, 1 entry",
       "names: none (/i/report.txt does not match the table: its first line "
       "is not the heading)",
       "unsound: 1 problem", "entry 1: "},
      {"not an image"s, "", "entry 1: offset 1852797984 declares a table of ",
       "", "not a Mirlot image", ""},
  };
  for (const auto& c : cases) {
    FakeFileSystem fs;
    fs.AddFile("/i/out.bin", c.image);
    if (!c.report.empty()) fs.AddFile("/i/report.txt", c.report);
    Result<std::unique_ptr<ImageCatalog>> catalog =
        ImageCatalog::Open(fs, "/i/out.bin");
    ASSERT_TRUE(catalog.ok()) << catalog.status().description();
    ImageCatalog& image = **catalog;
    const std::string& headline = image.not_an_image().empty()
                                      ? image.size_words()
                                      : image.not_an_image();
    EXPECT_TRUE(headline.starts_with(c.headline)) << headline;
    EXPECT_EQ(image.names_note(), c.names_note);
    EXPECT_EQ(image.verdict(), c.verdict);
    if (!c.first_problem.empty()) {
      ASSERT_FALSE(image.problems().empty());
      EXPECT_TRUE(image.problems()[0].starts_with(c.first_problem))
          << image.problems()[0];
    }
    if (image.row_count() > 0) {
      EXPECT_EQ(image.Row(0)->name, "");  // no name without a matching report
    }
  }
}

TEST(ImageCatalogTest, AMissingImageFails) {
  FakeFileSystem fs;
  Result<std::unique_ptr<ImageCatalog>> catalog =
      ImageCatalog::Open(fs, "/i/out.bin");
  EXPECT_EQ(catalog.status(), Status(FailureCode::kFileNotFound));
}

}  // namespace
}  // namespace mirlot
