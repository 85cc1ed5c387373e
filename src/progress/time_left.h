// How long the copy of a run still takes, from the pace it has kept since
// it was first seen.
#ifndef MIRLOT_PROGRESS_TIME_LEFT_H_
#define MIRLOT_PROGRESS_TIME_LEFT_H_

#include <chrono>
#include <cstdint>
#include <optional>

#include "packing/run_observer.h"

namespace mirlot {

class TimeLeftEstimate {
 public:
  using Clock = std::chrono::steady_clock;

  // Takes `progress` as seen at `now`; the first call sets the start.
  // Returns the time the rest of the bytes take at the pace kept since the
  // start, rounded up to whole seconds, once a second has passed and bytes
  // were copied in it; nothing before then, or once every byte is copied.
  std::optional<std::chrono::seconds> Update(const CopyProgress& progress,
                                             Clock::time_point now);

 private:
  std::optional<Clock::time_point> started_;
  std::uint64_t bytes_at_start_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_PROGRESS_TIME_LEFT_H_
