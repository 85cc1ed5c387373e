// A progress bar on standard error for long runs started from a terminal,
// and Ctrl-C as a clean cancel.
#ifndef MIRLOT_CLI_TERMINAL_PROGRESS_H_
#define MIRLOT_CLI_TERMINAL_PROGRESS_H_

#include <chrono>
#include <cstdio>

#include "packing/run_observer.h"
#include "runtime/console.h"

namespace mirlot {

class TerminalProgress : public RunObserver {
 public:
  // Shows a bar on `stream` only when it is a terminal, and only once the run
  // has taken longer than half a second. For as long as it lives, Ctrl-C and
  // a termination request become a cancel request.
  explicit TerminalProgress(std::FILE* stream);
  ~TerminalProgress() override;

  void OnProgress(std::uint64_t done, std::uint64_t total) override;
  // Says on the stream, terminal or not, which folder the run waits for.
  void OnWaitingForFolder(const std::string& folder, bool waiting) override;
  bool CancelRequested() override;

  // The exit status after a cancel request: 128 + the signal's number.
  int InterruptExitStatus() const { return interrupt_.ExitStatus(); }

  // Erases the bar so that a message can follow on a clean line.
  void Clear();

 private:
  using Clock = std::chrono::steady_clock;

  std::FILE* stream_;
  bool is_terminal_;
  InterruptWatch interrupt_;
  Clock::time_point started_ = Clock::now();
  Clock::time_point last_drawn_{};
  bool drawn_ = false;
};

}  // namespace mirlot

#endif  // MIRLOT_CLI_TERMINAL_PROGRESS_H_
