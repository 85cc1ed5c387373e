#include "packing/image_soundness.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <utility>
#include <vector>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

using Found = std::pair<ProblemKind, std::uint64_t>;  // kind, entry

struct DamagedImage {
  const char* label;
  std::string bytes;
  std::uint64_t readable_count;
  std::vector<Found> problems;  // in the order they are found
};

std::string Bytes(std::initializer_list<int> values) {
  std::string bytes;
  for (int v : values) bytes += static_cast<char>(v);
  return bytes;
}

Result<SoundnessCheck> Check(const std::string& bytes) {
  FakeFileSystem file_system;
  file_system.AddFile("/i/out.bin", bytes);
  auto file = file_system.OpenForRead("/i/out.bin");
  EXPECT_TRUE(file.ok());
  Result<ImageReader> image = ImageReader::Open(**file);
  EXPECT_TRUE(image.ok());
  return CheckImage(*image);
}

// Names the case in test listings instead of dumping its bytes.
void PrintTo(const DamagedImage& c, std::ostream* out) { *out << c.label; }

class DamagedImageTest : public testing::TestWithParam<DamagedImage> {};

TEST_P(DamagedImageTest, FindsEachProblemWithItsEntry) {
  const DamagedImage& c = GetParam();
  FakeFileSystem file_system;
  file_system.AddFile("/i/out.bin", c.bytes);
  auto file = file_system.OpenForRead("/i/out.bin");
  ASSERT_TRUE(file.ok());
  Result<ImageReader> image = ImageReader::Open(**file);
  ASSERT_TRUE(image.ok());
  EXPECT_EQ(image->readable_count(), c.readable_count);
  Result<SoundnessCheck> check = CheckImage(*image);
  ASSERT_TRUE(check.ok());
  std::vector<Found> found;
  for (const ImageProblem& p : check->problems()) {
    found.emplace_back(p.kind, p.entry);
  }
  EXPECT_EQ(found, c.problems);
  EXPECT_EQ(check->sound(), c.problems.empty());
}

// Two entries of 2 bytes each: offsets 16 and 18, 20 bytes in all.
const std::string kSoundTwo =
    Bytes({0, 0, 0, 16, 0, 0, 0, 2, 0, 0, 0, 18, 0, 0, 0, 2}) + "ABCD";

INSTANTIATE_TEST_SUITE_P(
    Images, DamagedImageTest,
    testing::Values(
        DamagedImage{"sound_two", kSoundTwo, 2, {}},
        DamagedImage{
            "sound_one_entry", Bytes({0, 0, 0, 8, 0, 0, 0, 1}) + "x", 1, {}},
        DamagedImage{"sound_only_empty_payloads",
                     Bytes({0, 0, 0, 16, 0, 0, 0, 0, 0, 0, 0, 16, 0, 0, 0, 0}),
                     2,
                     {}},
        DamagedImage{"empty_file", "", 0, {{ProblemKind::kShortImage, 0}}},
        DamagedImage{"truncated_first_entry",
                     Bytes({0, 0, 0, 8, 0, 0, 0}),
                     0,
                     {{ProblemKind::kShortImage, 0}}},
        DamagedImage{"truncated_table",
                     Bytes({0, 0, 0, 24, 0, 0, 0, 2, 0, 0, 0, 26, 0, 0}),
                     1,
                     {{ProblemKind::kTablePastEnd, 1},
                      {ProblemKind::kPayloadPastEnd, 1}}},
        DamagedImage{"truncated_payload",
                     kSoundTwo.substr(0, 19),
                     2,
                     {{ProblemKind::kPayloadPastEnd, 2}}},
        DamagedImage{"trailing_bytes",
                     kSoundTwo + "EF",
                     2,
                     {{ProblemKind::kTrailingBytes, 2}}},
        DamagedImage{"first_offset_not_multiple_of_8",
                     Bytes({0, 0, 0, 12, 0, 0, 0, 2, 0, 0, 0, 0}) + "AB",
                     1,
                     {{ProblemKind::kFirstOffsetNotMultiple, 1}}},
        DamagedImage{"first_offset_zero",
                     Bytes({0, 0, 0, 0, 0, 0, 0, 8}) + "ABCDEFGH",
                     1,
                     {{ProblemKind::kFirstOffsetNotPositive, 1}}},
        DamagedImage{"first_offset_negative",
                     Bytes({0xFF, 0xFF, 0xFF, 0xF8, 0, 0, 0, 0}),
                     1,
                     {{ProblemKind::kFirstOffsetNotPositive, 1}}},
        DamagedImage{"huge_table_declared",
                     Bytes({0x7F, 0xFF, 0xFF, 0xF8, 0, 0, 0, 0}),
                     1,
                     {{ProblemKind::kTablePastEnd, 1},
                      {ProblemKind::kPayloadPastEnd, 1}}},
        DamagedImage{"huge_length",
                     Bytes({0, 0, 0, 8, 0x7F, 0xFF, 0xFF, 0xFF}) + "AB",
                     1,
                     {{ProblemKind::kPayloadPastEnd, 1}}},
        DamagedImage{"negative_length",
                     Bytes({0, 0, 0, 16, 0xFF, 0xFF, 0xFF, 0xFE, 0, 0, 0, 14, 0,
                            0, 0, 2}),
                     2,
                     {{ProblemKind::kNegativeLength, 1}}},
        DamagedImage{
            "overlap",
            Bytes({0, 0, 0, 16, 0, 0, 0, 3, 0, 0, 0, 18, 0, 0, 0, 2}) + "ABCD",
            2,
            {{ProblemKind::kOverlap, 2}}},
        DamagedImage{
            "gap",
            Bytes({0, 0, 0, 16, 0, 0, 0, 1, 0, 0, 0, 18, 0, 0, 0, 2}) + "ABCD",
            2,
            {{ProblemKind::kGap, 2}}},
        DamagedImage{
            "second_entry_inside_table",
            Bytes({0, 0, 0, 16, 0, 0, 0, 2, 0, 0, 0, 4, 0, 0, 0, 2}) + "AB",
            2,
            {{ProblemKind::kOverlap, 2}, {ProblemKind::kTrailingBytes, 2}}}),
    [](const testing::TestParamInfo<DamagedImage>& info) {
      return std::string(info.param.label);
    });

TEST(ImageSoundnessTest, MessagesNameTheEntryAndTheNumbers) {
  const std::string overlap =
      Bytes({0, 0, 0, 16, 0, 0, 0, 3, 0, 0, 0, 18, 0, 0, 0, 2}) + "ABCDE";
  Result<SoundnessCheck> check = Check(overlap);
  ASSERT_TRUE(check.ok());
  ASSERT_EQ(check->problems().size(), 2u);
  EXPECT_EQ(check->problems()[0].message,
            "entry 2: starts at 18, 1 byte before entry 1 ends (at 19): "
            "overlap");
  EXPECT_EQ(check->problems()[1].message,
            "entry 2: the last payload ends at 20, 1 byte before the end of "
            "the file: trailing bytes");

  check = Check(Bytes({0, 0, 0, 24, 0, 0, 0, 2}) + "AB");
  ASSERT_TRUE(check.ok());
  EXPECT_EQ(check->problems()[0].message,
            "entry 1: offset 24 declares a table of 3 entries, which runs "
            "past the end of the file (10 bytes)");
  EXPECT_EQ(check->problems()[1].message,
            "entry 1: payload ends at 26, 16 bytes past the end of the file");
}

TEST(ImageSoundnessTest, KeepsTheFirstHundredProblemsAndCountsTheRest) {
  // 200 entries that all claim offset 1600 and length 1: every entry after
  // the first overlaps the one before it.
  std::string image;
  for (int k = 0; k < 200; ++k) image += Bytes({0, 0, 6, 0x40, 0, 0, 0, 1});
  image += "X";
  Result<SoundnessCheck> check = Check(image);
  ASSERT_TRUE(check.ok());
  EXPECT_EQ(check->problem_count(), 199u);
  EXPECT_EQ(check->problems().size(), 100u);
  EXPECT_EQ(check->omitted_count(), 99u);
  EXPECT_FALSE(check->sound());
}

TEST(ImageReaderTest, ReadsNoTableByteBeyondTheReadableEntries) {
  FakeFileSystem file_system;
  // Declares 3 entries but holds 2 whole slots and 3 more bytes.
  file_system.AddFile("/i/out.bin", Bytes({0, 0, 0, 24, 0, 0, 0, 0, 0, 0, 0, 24,
                                           0, 0, 0, 0, 1, 2, 3}));
  auto file = file_system.OpenForRead("/i/out.bin");
  ASSERT_TRUE(file.ok());
  Result<ImageReader> image = ImageReader::Open(**file);
  ASSERT_TRUE(image.ok());
  ASSERT_EQ(image->readable_count(), 2u);
  TableCursor cursor(*image);
  std::vector<TableEntry> entries;
  while (!cursor.AtEnd()) {
    Result<TableEntry> entry = cursor.Next();
    ASSERT_TRUE(entry.ok());
    entries.push_back(*entry);
  }
  EXPECT_EQ(entries, (std::vector<TableEntry>{{24, 0}, {24, 0}}));
}

TEST(ImageReaderTest, FileShrinkingWhileReadIsAFailure) {
  FakeFileSystem file_system;
  file_system.AddFile("/i/out.bin", kSoundTwo);
  auto file = file_system.OpenForRead("/i/out.bin");
  ASSERT_TRUE(file.ok());
  Result<ImageReader> image = ImageReader::Open(**file);
  ASSERT_TRUE(image.ok());
  file_system.AddFile("/i/out.bin", kSoundTwo.substr(0, 9));
  Result<SoundnessCheck> check = CheckImage(*image);
  ASSERT_FALSE(check.ok());
  EXPECT_TRUE(check.status().Is(FailureCode::kInputPastEndOfFile));
}

}  // namespace
}  // namespace mirlot
