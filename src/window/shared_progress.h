// What a run tells its window, kept between the worker that runs the
// packing and the window's thread that shows it, and the cancel request
// that goes the other way.
#ifndef MIRLOT_WINDOW_SHARED_PROGRESS_H_
#define MIRLOT_WINDOW_SHARED_PROGRESS_H_

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "packing/run_observer.h"
#include "window/progress_look.h"

namespace mirlot {

class SharedProgress : public RunObserver {
 public:
  // `on_phase` is called on the worker, after the state changed, when the
  // run starts saving or starts or stops waiting: such a change shows at
  // once, while the copy's numbers are read when the window refreshes.
  explicit SharedProgress(std::function<void()> on_phase);

  void OnProgress(const CopyProgress& progress) override;
  void OnSaving() override;
  void OnWaitingForFolder(const std::string& folder, bool waiting) override;
  void OnWarning(const std::string& text) override;
  bool CancelRequested() override;

  // From any thread: asks the run to stop.
  void RequestCancel();
  // From any thread: what the run told so far.
  RunState State() const;

 private:
  std::function<void()> on_phase_;
  std::atomic<bool> cancel_requested_{false};
  mutable std::mutex mutex_;
  RunState state_;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_SHARED_PROGRESS_H_
