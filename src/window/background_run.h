// A run started from a window (a pack, or work on an image), the same for
// every toolkit: the run works on a thread of its own while the window's
// thread serves events; its messages come to the window's thread one at a
// time, the worker waiting until each is dismissed; a run that takes a
// while shows its progress with Cancel.
#ifndef MIRLOT_WINDOW_BACKGROUND_RUN_H_
#define MIRLOT_WINDOW_BACKGROUND_RUN_H_

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

#include "packing/packing_run.h"
#include "progress/time_left.h"
#include "runtime/thread_start.h"
#include "window/run_host.h"
#include "window/shared_progress.h"
#include "window/window_services.h"

namespace mirlot {

class BackgroundRun {
 public:
  // Shows a message over the window and returns once it was dismissed.
  using ShowMessageCall = std::function<void(const WindowMessage& message)>;

  // Starts `work` on a thread of its own. On success returns the thread.
  // On failure (no room for another thread) returns nullopt and `work`
  // never runs.
  using StartWorkerCall =
      std::function<std::optional<std::thread>(std::function<void()> work)>;

  // The run's worker starts through `start_worker`: a new thread, unless a
  // test has the start fail.
  BackgroundRun(
      RunHost& host, RunTiming timing, ShowMessageCall show,
      StartWorkerCall start_worker = &StartThread<std::function<void()>>);
  ~BackgroundRun();
  BackgroundRun(const BackgroundRun&) = delete;
  BackgroundRun& operator=(const BackgroundRun&) = delete;

  // What runs on the worker: it tells its messages to `sink` and its
  // progress to `observer`, which it polls for a cancel request.
  using Work =
      std::function<RunOutcome(MessageSink& sink, RunObserver& observer)>;

  // Runs `work`, its progress shown as `doing` ("Extracting 3 of 9
  // files…"), as Run(request) runs a pack.
  RunOutcome Run(const Work& work, std::string doing);

  // Runs `request` over `file_system` and returns the outcome once the run
  // ended. The calling thread must be the window's; the host serves it
  // meanwhile. Each message of the run goes to `show` with its detail,
  // titled "Mirlot utility", after the progress window closed; once the
  // progress delay passed the progress window shows the run's state and offers
  // Cancel, which ends the run with nothing changed and no message, as does
  // quitting the application. When no thread can be started the run fails as
  // out of memory, with its message. Call once per object.
  RunOutcome Run(const RunRequest& request, FileSystem& file_system);

 private:
  class WindowThreadSink;

  // Opens the progress window once the delay passed, and refreshes it.
  void Tick();
  void Refresh();
  void Cancel();
  void ShowMessage(const WindowMessage& message);

  RunHost& host_;
  RunTiming timing_;
  ShowMessageCall show_;
  StartWorkerCall start_worker_;
  SharedProgress progress_;
  TimeLeftEstimate time_left_;
  std::chrono::steady_clock::time_point started_;
  std::unique_ptr<ProgressView> view_;
  std::string doing_;
  bool ending_ = false;  // a message was shown: no progress any more
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_BACKGROUND_RUN_H_
