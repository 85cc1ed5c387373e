// The control that has a window's focus, kept while the window is inactive
// and given back when it is active again, as dialog boxes do.
#ifndef MIRLOT_WINDOW_WIN32_KEPT_FOCUS_H_
#define MIRLOT_WINDOW_WIN32_KEPT_FOCUS_H_

#include <windows.h>

namespace mirlot {

class KeptFocus {
 public:
  // For WM_ACTIVATE of `window`: notes its focused control as it is left.
  void OnActivate(HWND window, WPARAM wparam) {
    if (LOWORD(wparam) == WA_INACTIVE && IsChild(window, GetFocus())) {
      focus_ = GetFocus();
    }
  }

  // For WM_SETFOCUS: focuses the control kept, or `first` when none was.
  void Restore(HWND first) const {
    SetFocus(focus_ != nullptr ? focus_ : first);
  }

 private:
  HWND focus_ = nullptr;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_KEPT_FOCUS_H_
