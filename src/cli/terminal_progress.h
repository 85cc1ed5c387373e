// The progress of `mirlot pack` and `mirlot verify` as one line on standard
// error, redrawn in place, when that is a terminal; and Ctrl-C as a clean
// cancel.
#ifndef MIRLOT_CLI_TERMINAL_PROGRESS_H_
#define MIRLOT_CLI_TERMINAL_PROGRESS_H_

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "cli/command_output.h"
#include "packing/run_observer.h"
#include "progress/time_left.h"
#include "runtime/console.h"

namespace mirlot {

// The progress line for a terminal `columns` wide (80 when 0): a bar of up
// to 30 columns filled to `permille` (no bar without it), a blank and
// `text`; the bar goes first when room is short, then the end of the text
// (cut with "…"). It never fills the last column, so that it never wraps.
std::string TerminalProgressLine(std::string_view text,
                                 std::optional<int> permille, int columns);

class TerminalProgress : public RunObserver {
 public:
  // Draws the line through `output` only when `shown` and standard error
  // is a terminal, and only once the run has taken half a second, or once a
  // large copy is saved. For as long as it lives, Ctrl-C and a termination
  // request become a cancel request. The text is led by `doing`, as
  // ProgressText's.
  TerminalProgress(CommandOutput& output, bool shown,
                   std::string_view doing = "Packing");

  void OnProgress(const CopyProgress& progress) override;
  void OnSaving() override;
  // Says, terminal or not, which folder the run waits for.
  void OnWaitingForFolder(const std::string& folder, bool waiting) override;
  // Says, terminal or not, that the run goes on unlocked.
  void OnWarning(const std::string& text) override;
  bool CancelRequested() override;

  // The exit status after a cancel request: 128 + the signal's number.
  int InterruptExitStatus() const { return interrupt_.ExitStatus(); }

 private:
  using Clock = std::chrono::steady_clock;

  void Draw(std::string_view text, std::optional<int> permille);

  CommandOutput& output_;
  bool shown_;
  std::string_view doing_;
  InterruptWatch interrupt_;
  TimeLeftEstimate time_left_;
  Clock::time_point started_ = Clock::now();
  Clock::time_point last_drawn_{};
  std::uint64_t bytes_total_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_CLI_TERMINAL_PROGRESS_H_
