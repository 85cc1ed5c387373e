// The Win32 window's side of a run: its message loop, the worker's calls
// carried to the window's thread, and the progress window.
#ifndef MIRLOT_WINDOW_WIN32_RUN_HOST_H_
#define MIRLOT_WINDOW_WIN32_RUN_HOST_H_

#include <windows.h>

#include <functional>

#include "window/run_host.h"

namespace mirlot {

class Win32RunHost : public RunHost {
 public:
  // Serves `window`'s thread, which must be the calling one.
  explicit Win32RunHost(HWND window);
  ~Win32RunHost() override;
  Win32RunHost(const Win32RunHost&) = delete;
  Win32RunHost& operator=(const Win32RunHost&) = delete;

  // A Win32ProgressWindow over the window.
  std::unique_ptr<ProgressView> OpenProgress(
      std::function<void()> on_cancel) override;
  // Sent to the relay window, whose procedure runs it.
  void CallOnWindowThread(const std::function<void()>& task) override;
  // Posted to the relay window.
  void WakeWindowThread() override;
  // A message loop of its own, with the owner disabled, the progress
  // window's keys handled as a dialog's, and WM_QUIT held back.
  void Serve(const ServeCalls& calls) override;

 private:
  static LRESULT CALLBACK RelayProcedure(HWND hwnd, UINT message, WPARAM wparam,
                                         LPARAM lparam);

  HWND window_;
  HWND relay_ = nullptr;  // receives the worker's calls and the ticks
  const std::function<void()>* tick_ = nullptr;  // while Serve runs
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_RUN_HOST_H_
