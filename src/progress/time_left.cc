#include "progress/time_left.h"

namespace mirlot {

namespace {

// The pace of the first moments says little: a second at least.
constexpr auto kSettling = std::chrono::seconds(1);

}  // namespace

std::optional<std::chrono::seconds> TimeLeftEstimate::Update(
    const CopyProgress& progress, Clock::time_point now) {
  if (!started_) {
    started_ = now;
    bytes_at_start_ = progress.bytes_done;
  }
  const auto elapsed = now - *started_;
  if (elapsed < kSettling || progress.bytes_done <= bytes_at_start_ ||
      progress.bytes_done >= progress.bytes_total) {
    return std::nullopt;
  }
  const double pace =
      static_cast<double>(progress.bytes_done - bytes_at_start_) /
      std::chrono::duration<double>(elapsed).count();
  const double rest =
      static_cast<double>(progress.bytes_total - progress.bytes_done) / pace;
  return std::chrono::ceil<std::chrono::seconds>(
      std::chrono::duration<double>(rest));
}

}  // namespace mirlot
