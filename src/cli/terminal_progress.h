// A progress bar on standard error for long runs started from a terminal,
// and Ctrl-C as a clean cancel.
#ifndef MIRLOT_CLI_TERMINAL_PROGRESS_H_
#define MIRLOT_CLI_TERMINAL_PROGRESS_H_

#include <chrono>
#include <cstdio>

#include "packing/run_observer.h"

namespace mirlot {

class TerminalProgress : public RunObserver {
 public:
  // Shows a bar on `stream` only when it is a terminal, and only once the run
  // has taken longer than half a second. Installs a SIGINT/SIGTERM handler
  // that turns the signal into a cancel request for as long as it lives.
  explicit TerminalProgress(std::FILE* stream);
  ~TerminalProgress() override;

  void OnProgress(std::uint64_t done, std::uint64_t total) override;
  bool CancelRequested() override;

  // Erases the bar so that a message can follow on a clean line.
  void Clear();

  // True when a signal asked the run to stop.
  static bool Interrupted();

 private:
  using Clock = std::chrono::steady_clock;

  std::FILE* stream_;
  bool is_terminal_;
  Clock::time_point started_ = Clock::now();
  Clock::time_point last_drawn_{};
  bool drawn_ = false;
};

}  // namespace mirlot

#endif  // MIRLOT_CLI_TERMINAL_PROGRESS_H_
