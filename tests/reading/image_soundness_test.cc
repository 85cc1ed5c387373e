#include "reading/image_soundness.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

using namespace std::string_literals;

// The readable entry count, then each problem as "kind entry" (and how
// many in all when not all are kept), then whether the file cannot be an
// image at all; or the failure. The file is cut to `cut_to` bytes once
// the reader opened it.
std::string Verdict(const std::string& bytes, std::size_t cut_to = SIZE_MAX) {
  FakeFileSystem fs;
  fs.AddFile("/i/out.bin", bytes);
  auto file = fs.OpenForRead("/i/out.bin");
  Result<ImageReader> image = ImageReader::Open(**file);
  fs.AddFile("/i/out.bin", bytes.substr(0, cut_to));
  Result<SoundnessCheck> check =
      image.ok() ? CheckImage(*image) : image.status();
  if (!check.ok()) return check.status().description();
  std::string verdict = std::to_string(image->readable_count()) + " readable";
  for (const ImageProblem& p : check->problems()) {
    verdict += ", " + std::string(ProblemKindName(p.kind)) + " " +
               std::to_string(p.entry);
  }
  if (check->problem_count() > check->problems().size()) {
    verdict += ", " + std::to_string(check->problem_count()) + " in all";
  }
  return verdict + (check->not_an_image().empty() ? "" : ", not an image");
}

// Two entries of 2 bytes each: offsets 16 and 18, 20 bytes in all.
const std::string kSoundTwo = "\0\0\0\x10\0\0\0\x02\0\0\0\x12\0\0\0\x02WXYZ"s;

TEST(ImageSoundnessTest, DamagedImagesNameEachProblemWithItsEntry) {
  const struct {
    std::string bytes;
    const char* verdict;
    std::size_t cut_to = SIZE_MAX;
  } cases[] = {
      // clang-format off
      {kSoundTwo, "2 readable"},
      {"\0\0\0\x08\0\0\0"s, "0 readable, short-image 0"},
      {"\0\0\0\x18\0\0\0\x02\0\0\0\x1A\0\0"s, "1 readable, table-past-end 1, payload-past-end 1, not an image"},
      {kSoundTwo.substr(0, 19), "2 readable, payload-past-end 2"},
      {kSoundTwo + "EF", "2 readable, trailing-bytes 2"},
      {"\0\0\0\x0C\0\0\0\x02\0\0\0\0AB"s, "1 readable, first-offset-not-multiple-of-8 1, not an image"},
      {"\0\0\0\0\0\0\0\x08GHIJKLMN"s, "1 readable, first-offset-not-positive 1, not an image"},
      {"\xFF\xFF\xFF\xF8\0\0\0\0"s, "1 readable, first-offset-not-positive 1, not an image"},
      {"\x7F\xFF\xFF\xF8\0\0\0\0"s, "1 readable, table-past-end 1, payload-past-end 1, not an image"},
      {"\0\0\0\x08\x7F\xFF\xFF\xFFxy"s, "1 readable, payload-past-end 1"},
      {"\0\0\0\x10\xFF\xFF\xFF\xFE\0\0\0\x0E\0\0\0\x02"s, "2 readable, negative-length 1"},
      {"\0\0\0\x10\0\0\0\x03\0\0\0\x12\0\0\0\x02WXYZ"s, "2 readable, overlap 2"},
      {"\0\0\0\x10\0\0\0\x01\0\0\0\x12\0\0\0\x02WXYZ"s, "2 readable, gap 2"},
      // The second entry points into the table.
      {"\0\0\0\x10\0\0\0\x02\0\0\0\x04\0\0\0\x02WX"s, "2 readable, overlap 2, trailing-bytes 2"},
      // Cut short while it is read.
      {kSoundTwo, "Input past end of file", 9},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Verdict(c.bytes, c.cut_to), c.verdict)
        << testing::PrintToString(c.bytes);
  }
}

TEST(ImageSoundnessTest, KeepsTheFirstHundredProblemsAndCountsTheRest) {
  // 200 entries that all claim offset 1600 and length 1: every entry after
  // the first overlaps the one before it.
  std::string image;
  for (int k = 0; k < 200; ++k) image += "\0\0\x06\x40\0\0\0\x01"s;
  std::string kept = "200 readable";
  for (int k = 2; k <= 101; ++k) kept += ", overlap " + std::to_string(k);
  EXPECT_EQ(Verdict(image + "X"), kept + ", 199 in all");
}

}  // namespace
}  // namespace mirlot
