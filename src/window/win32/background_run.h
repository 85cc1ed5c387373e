// A packing run started from the Win32 window. The run works on a thread of
// its own while the window's thread keeps handling messages: the window
// repaints but takes no input; the run's messages are shown on the window's
// thread one at a time while the worker waits; a run that takes a while
// shows the progress window with Cancel.
#ifndef MIRLOT_WINDOW_WIN32_BACKGROUND_RUN_H_
#define MIRLOT_WINDOW_WIN32_BACKGROUND_RUN_H_

#include <windows.h>

#include <memory>
#include <string>

#include "packing/packing_run.h"
#include "window/win32/progress_window.h"
#include "window/win32/system_dialogs.h"
#include "window/window_services.h"

namespace mirlot {

class Win32BackgroundRun {
 public:
  Win32BackgroundRun(HWND window, Win32MessagePresenter& presenter,
                     RunTiming timing);
  ~Win32BackgroundRun();
  Win32BackgroundRun(const Win32BackgroundRun&) = delete;
  Win32BackgroundRun& operator=(const Win32BackgroundRun&) = delete;

  // Runs `request` over `file_system` and returns the outcome once the run
  // ended. The calling thread must be `window`'s; it serves messages
  // meanwhile. Each message of the run goes to the presenter, titled
  // "Mirlot utility" and owned by `window`; after the progress delay the
  // progress window offers Cancel, which ends the run with nothing changed
  // and no message. A WM_QUIT that arrives meanwhile cancels the run and is
  // posted again once it ended. Call once per object.
  RunOutcome Run(const RunRequest& request, FileSystem& file_system);

 private:
  static LRESULT CALLBACK RelayProcedure(HWND hwnd, UINT message, WPARAM wparam,
                                         LPARAM lparam);
  // Serves messages until `worker` ends.
  void ServeUntilEnded(HANDLE worker);
  void ShowMessage(const std::string& text);
  void OpenProgressWindow();
  void RefreshProgressWindow();

  HWND window_;
  Win32MessagePresenter& presenter_;
  RunTiming timing_;
  SharedProgress progress_;
  HWND relay_ = nullptr;  // receives the worker's messages and the timers
  std::unique_ptr<ProgressWindow> progress_window_;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_BACKGROUND_RUN_H_
