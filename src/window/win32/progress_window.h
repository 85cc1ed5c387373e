// The progress window a long run shows: how much has been packed, a bar,
// and Cancel. Modal: its owner takes no input while it is up.
#ifndef MIRLOT_WINDOW_WIN32_PROGRESS_WINDOW_H_
#define MIRLOT_WINDOW_WIN32_PROGRESS_WINDOW_H_

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace mirlot {

inline constexpr wchar_t kProgressWindowClass[] = L"MirlotProgress";

class ProgressWindow {
 public:
  // Shows the window over `owner`, titled like it, in the message font;
  // `on_cancel` is called once, when the user cancels (Cancel, Escape or
  // closing the window). The window then stays up, saying so, until it is
  // destroyed with this object.
  ProgressWindow(HWND owner, std::function<void()> on_cancel);
  ~ProgressWindow();
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

  // Shows that `done` of `total` payload bytes are packed; a `total` of 0
  // means the amount is not known yet.
  void ShowProgress(std::uint64_t done, std::uint64_t total);

  // Shows `text` (UTF-8) instead of the bytes packed, while the run waits.
  void ShowWaiting(const std::string& text);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam,
                                    LPARAM lparam);
  void CreateControls(UINT dpi);
  void Cancel();

  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;
  HWND bar_ = nullptr;
  HWND cancel_ = nullptr;
  HFONT font_ = nullptr;
  std::function<void()> on_cancel_;
  bool cancelled_ = false;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_PROGRESS_WINDOW_H_
