// The progress text every front end shows, and the time left in it.
#include "progress/progress_text.h"

#include <gtest/gtest.h>

#include "progress/time_left.h"

namespace mirlot {
namespace {

using std::chrono::seconds;
constexpr std::uint64_t kKiB = 1024, kMiB = kKiB << 10, kGiB = kMiB << 10;

TEST(ProgressTextTest, FilesBytesPercentAndTimeLeft) {
  const struct {
    CopyProgress progress;
    std::optional<seconds> left;
    const char* text;
  } cases[] = {
      // clang-format off
      {{12, 300, 714 * kMiB, 999 * kMiB}, seconds(8), "Packing 12 of 300 files: 714 of 999 MiB (71%), about 8 s left"},
      {{0, 1, 0, 100}, {}, "Packing 0 of 1 file: 0 of 100 B (0%)"},
      {{1, 2, 10 * kKiB + 511, 20 * kKiB}, seconds(59), "Packing 1 of 2 files: 10 of 20 KiB (52%), about 59 s left"},
      // One decimal below 10 of the unit; 100% only once all is copied.
      {{0, 2, kMiB / 2, 3 * kMiB / 2}, seconds(60), "Packing 0 of 2 files: 0.5 of 1.5 MiB (33%), about 1 min left"},
      {{999, 1000, 2 * kGiB - 1, 2 * kGiB}, seconds(3629), "Packing 999 of 1000 files: 2.0 of 2.0 GiB (99%), about 1 h 0 min left"},
      // Empty payloads: percent by files.
      {{1, 4, 0, 0}, {}, "Packing 1 of 4 files: 0 of 0 B (25%)"},
      // clang-format on
  };
  for (const auto& c : cases)
    EXPECT_EQ(ProgressText(c.progress, c.left), c.text);
}

// 1000 bytes: the pace since the first look, once a second has passed.
TEST(ProgressTextTest, TimeLeftAtThePaceKeptSinceTheFirstLook) {
  const struct {
    std::uint64_t done;
    int milliseconds;
    int left;  // seconds, -1 for none
  } cases[] = {{100, 0, -1},   {300, 900, -1}, {600, 1000, 1},
               {600, 2000, 2}, {700, 5000, 3}, {1000, 6000, -1}};
  TimeLeftEstimate estimate;
  for (const auto& c : cases) {
    const std::optional<seconds> left = estimate.Update(
        {0, 1, c.done, 1000}, TimeLeftEstimate::Clock::time_point(
                                  std::chrono::milliseconds(c.milliseconds)));
    EXPECT_EQ(left ? left->count() : -1, c.left) << c.milliseconds;
  }
}

}  // namespace
}  // namespace mirlot
