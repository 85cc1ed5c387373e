// What the progress window shows at a moment of a run, the same for every
// toolkit: the run's state as its window knows it, and the text and bar
// made of it.
#ifndef MIRLOT_WINDOW_PROGRESS_LOOK_H_
#define MIRLOT_WINDOW_PROGRESS_LOOK_H_

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "packing/run_observer.h"

namespace mirlot {

// What a run has told its window so far.
struct RunState {
  std::optional<CopyProgress> copy = {};  // nothing before the copy starts
  bool saving = false;
  std::string waiting_for = {};  // the folder waited for, "" when not waiting
  std::vector<std::string> warnings = {};  // RunObserver::OnWarning's texts
  bool cancelling = false;
};

struct ProgressLook {
  std::string text;
  // How far the bar is, 0 to 1000; nothing while the run cannot say how
  // long it takes (a busy bar).
  std::optional<int> permille;
  // False once the run is being cancelled: Cancel is then disabled.
  bool can_cancel = true;
  friend bool operator==(const ProgressLook&, const ProgressLook&) = default;
};

// The look of `state`; `left` is the copy's time left, when known, and
// `doing` what the run does. "Packing…" until the copy starts, then the
// progress text; "Saving…" once
// every payload is copied; "Waiting for another run to finish writing into
// F…" while the run waits for folder F; "Cancelling…" once cancelled.
// Then, each on a line of its own, "Warning: " and each warning the run
// gave.
ProgressLook LookOfProgress(const RunState& state,
                            std::optional<std::chrono::seconds> left,
                            std::string_view doing = "Packing");

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_PROGRESS_LOOK_H_
