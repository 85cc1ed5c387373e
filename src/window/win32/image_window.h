// The image window, native Win32: the image's path and verdict at its top,
// its entries in a virtual list view whose rows are read as they are drawn,
// and Extract…, Verify…, Reload and Close, which the core carries out.
#ifndef MIRLOT_WINDOW_WIN32_IMAGE_WINDOW_H_
#define MIRLOT_WINDOW_WIN32_IMAGE_WINDOW_H_

#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <array>
#include <cstdint>
#include <string>

#include "window/image_window_core.h"
#include "window/win32/kept_focus.h"

namespace mirlot {

inline constexpr wchar_t kImageWindowClass[] = L"MirlotImageWindow";
// The controls' identifiers, in tab order. Close is IDCANCEL, which
// Escape presses.
inline constexpr int kImagePathId = 200;
inline constexpr int kVerdictId = 201;
inline constexpr int kEntryListId = 202;
inline constexpr int kExtractButtonId = 203;
inline constexpr int kVerifyButtonId = 204;
inline constexpr int kReloadButtonId = 205;

using Win32ImageServices = ImageWindowServicesFor<HWND>;

class Win32ImageWindow {
 public:
  // Creates the window, hidden. Closing it hides it; when `alone` (the
  // program's only window) it also ends the message loop. hwnd() is null
  // when the system refused.
  Win32ImageWindow(Win32ImageServices services, bool alone);
  ~Win32ImageWindow();
  Win32ImageWindow(const Win32ImageWindow&) = delete;
  Win32ImageWindow& operator=(const Win32ImageWindow&) = delete;

  HWND hwnd() const { return hwnd_; }

  // Opens the image at `path` (a full path, UTF-8) in place of the one
  // shown; a failure is told over the window, or on its own while it is
  // hidden. Returns whether an image is shown.
  bool OpenImage(const std::string& path);

  // The keyboard of a dialog for `message`, taken from the program's
  // message loop when it is meant for this window: Tab and access keys as
  // in a dialog, Enter presses the focused button or else Close, Escape
  // closes, also while the list has the focus. Returns true when the
  // message was handled.
  bool TranslateKeys(MSG& message);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam,
                                    LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  // Takes the fonts and the columns' widths of `dpi`.
  void Rescale(int dpi);
  // Places the controls in the client area as it is now.
  void Layout();
  void ShowImage();
  void Command(int id);
  // Answers the list view's request for the texts of a row.
  void GetRowText(LVITEMW& item);

  ImageWindowCore<HWND> core_;
  bool alone_;
  HWND hwnd_ = nullptr;
  HWND path_ = nullptr;
  HWND verdict_ = nullptr;
  HWND list_ = nullptr;
  std::array<HWND, 4> buttons_ = {};  // Extract, Verify, Reload, Close
  KeptFocus focus_;
  HFONT font_ = nullptr;
  int dpi_ = 96;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_IMAGE_WINDOW_H_
