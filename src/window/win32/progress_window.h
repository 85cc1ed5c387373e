// The Win32 progress window a long run shows: the core's text and bar, and
// Cancel, placed by the core's layout. Modal: its owner takes no input while
// it is up.
#ifndef MIRLOT_WINDOW_WIN32_PROGRESS_WINDOW_H_
#define MIRLOT_WINDOW_WIN32_PROGRESS_WINDOW_H_

#include <windows.h>

#include <functional>
#include <string>

#include "window/layout.h"
#include "window/run_host.h"

namespace mirlot {

inline constexpr wchar_t kProgressWindowClass[] = L"MirlotProgress";
inline constexpr int kProgressTextId = 100;

class Win32ProgressWindow : public ProgressView {
 public:
  // Shows the window over `owner`, titled like it, in the message font;
  // `on_cancel` is called when the user cancels (Cancel, Escape or closing
  // the window).
  Win32ProgressWindow(HWND owner, std::function<void()> on_cancel);
  ~Win32ProgressWindow() override;
  Win32ProgressWindow(const Win32ProgressWindow&) = delete;
  Win32ProgressWindow& operator=(const Win32ProgressWindow&) = delete;

  void Show(const ProgressLook& look) override;

  // The keyboard of a dialog (Tab, Enter, Escape) for a progress window
  // that `message` is meant for. Returns true when it handled `message`.
  static bool TranslateKeys(MSG& message);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam,
                                    LPARAM lparam);
  void CreateControls();
  // Shows `text` wrapped to the text's place, the window grown as the
  // core's layout says.
  void ShowText(const std::string& text);

  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;
  HWND bar_ = nullptr;
  HWND cancel_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = kBaseDpi;
  Place placed_client_ = {};  // the client area the window was given last
  std::function<void()> on_cancel_;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_PROGRESS_WINDOW_H_
