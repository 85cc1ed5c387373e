// What a toolkit does for a run started from its window: BackgroundRun
// decides what shows and when, the host serves the window's events, draws
// the progress window, and carries calls between the worker and the
// window's thread.
#ifndef MIRLOT_WINDOW_RUN_HOST_H_
#define MIRLOT_WINDOW_RUN_HOST_H_

#include <chrono>
#include <functional>
#include <memory>

#include "window/progress_look.h"

namespace mirlot {

// An open progress window: modal over the main window, titled like it,
// with a text, a bar and Cancel. Destroying the view closes the window.
class ProgressView {
 public:
  virtual ~ProgressView() = default;

  // Shows `look`. Cannot fail.
  virtual void Show(const ProgressLook& look) = 0;
};

// What Serve calls while it serves.
struct ServeCalls {
  std::chrono::milliseconds period;
  std::function<void()> tick;     // every period
  std::function<bool()> ended;    // after each event: whether to return
  std::function<void()> on_quit;  // when the application is asked to quit
};

class RunHost {
 public:
  virtual ~RunHost() = default;

  // Called from the worker: runs `task` on the window's thread and returns
  // once it has run. Cannot fail.
  virtual void CallOnWindowThread(const std::function<void()>& task) = 0;

  // Called from the worker once `ended` (of Serve) holds: makes Serve look
  // at it again. Cannot fail.
  virtual void WakeWindowThread() = 0;

  // On the window's thread: serves the window's events, calling `tick`
  // every `period`, until `ended()` holds. Meanwhile the window repaints but
  // takes no input. A request to quit the application calls `on_quit`
  // instead of ending the loop, and is passed on once `ended()` holds.
  virtual void Serve(const ServeCalls& calls) = 0;

  // On the window's thread: opens the progress window. `on_cancel` is
  // called when the user asks to cancel (Cancel, Escape, or closing it).
  virtual std::unique_ptr<ProgressView> OpenProgress(
      std::function<void()> on_cancel) = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_RUN_HOST_H_
