#include "reading/image_soundness.h"

#include <gtest/gtest.h>

#include <string>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

using namespace std::string_literals;

Result<SoundnessCheck> Check(const std::string& bytes,
                             std::uint64_t* readable = nullptr) {
  FakeFileSystem fs;
  fs.AddFile("/i/out.bin", bytes);
  auto file = fs.OpenForRead("/i/out.bin");
  Result<ImageReader> image = ImageReader::Open(**file);
  if (!image.ok()) return image.status();
  if (readable != nullptr) *readable = image->readable_count();
  return CheckImage(*image);
}

// The readable entry count, then each problem as "kind entry", then
// whether the file cannot be an image at all.
std::string Verdict(const std::string& bytes) {
  std::uint64_t readable = 0;
  Result<SoundnessCheck> check = Check(bytes, &readable);
  if (!check.ok()) return check.status().description();
  std::string verdict = std::to_string(readable) + " readable";
  for (const ImageProblem& p : check->problems()) {
    verdict += ", " + std::string(ProblemKindName(p.kind)) + " " +
               std::to_string(p.entry);
  }
  return verdict + (check->not_an_image().empty() ? "" : ", not an image");
}

// Two entries of 2 bytes each: offsets 16 and 18, 20 bytes in all.
const std::string kSoundTwo = "\0\0\0\x10\0\0\0\x02\0\0\0\x12\0\0\0\x02WXYZ"s;

TEST(ImageSoundnessTest, DamagedImagesNameEachProblemWithItsEntry) {
  const struct {
    std::string bytes;
    const char* verdict;
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
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Verdict(c.bytes), c.verdict) << testing::PrintToString(c.bytes);
  }
}

TEST(ImageSoundnessTest, KeepsTheFirstHundredProblemsAndCountsTheRest) {
  // 200 entries that all claim offset 1600 and length 1: every entry after
  // the first overlaps the one before it.
  std::string image;
  for (int k = 0; k < 200; ++k) image += "\0\0\x06\x40\0\0\0\x01"s;
  Result<SoundnessCheck> check = Check(image + "X");
  EXPECT_EQ(check->problem_count(), 199u);
  EXPECT_EQ(check->problems().size(), 100u);
  EXPECT_FALSE(check->sound());
}

TEST(ImageSoundnessTest, ImageShrinkingWhileReadIsAFailure) {
  FakeFileSystem fs;
  fs.AddFile("/i/out.bin", kSoundTwo);
  auto file = fs.OpenForRead("/i/out.bin");
  Result<ImageReader> image = ImageReader::Open(**file);
  fs.AddFile("/i/out.bin", kSoundTwo.substr(0, 9));
  EXPECT_EQ(CheckImage(*image).status().number(), 62);
}

}  // namespace
}  // namespace mirlot
