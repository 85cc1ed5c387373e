// The program's one window, native Win32: draws the controls at the core's
// places and forwards the user's clicks, keys and drops to the core.
#ifndef MIRLOT_WINDOW_WIN32_FORM1_H_
#define MIRLOT_WINDOW_WIN32_FORM1_H_

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <functional>
#include <string>

#include "window/control_texts.h"
#include "window/form_core.h"
#include "window/win32/kept_focus.h"
#include "window/win32/system_dialogs.h"

namespace mirlot {

inline constexpr wchar_t kForm1Class[] = L"MirlotForm1";
// The controls' identifiers, in tab order.
inline constexpr int kPathLabelId = 100;
inline constexpr int kPathButtonId = 101;
inline constexpr int kStartButtonId = 102;

using Win32WindowServices = WindowServicesFor<HWND>;

class Win32Form1 {
 public:
  // Opens the image at a full path (UTF-8) in the image window beside this
  // one.
  using OpenImageCall = std::function<void(const std::string& path)>;

  // Creates the window, hidden, where the system places new windows; a
  // dropped image goes to `open_image`. hwnd() is null when the system
  // refused.
  Win32Form1(Win32WindowServices services, OpenImageCall open_image);
  ~Win32Form1();
  Win32Form1(const Win32Form1&) = delete;
  Win32Form1& operator=(const Win32Form1&) = delete;

  HWND hwnd() const { return hwnd_; }

  // The list given to the program (UTF-8, as given): chosen when it is an
  // existing file, else refused with a message.
  void OfferArgument(const std::string& path);

  // The keyboard of a dialog for `message`, taken from the program's
  // message loop: Tab moves between the buttons, Enter and Space press the
  // focused one, Alt with an access key acts on its control. Returns true
  // when the message was handled.
  bool TranslateKeys(MSG& message);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam,
                                    LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  // A push button of `texts`, with the identifier `id`.
  HWND CreateButton(const ControlTexts& texts, int id);
  void AddTool(HWND control, const wchar_t* text);
  // Places the window and its controls at `dpi`, in the matching font.
  void Layout(int dpi);
  void ShowChoice();
  void StartRun();
  void Drop(HDROP drop);

  FormCore<HWND> core_;
  OpenImageCall open_image_;
  HWND hwnd_ = nullptr;
  HWND lbl_path_ = nullptr;
  HWND cmd_path_ = nullptr;
  HWND cmd_start_ = nullptr;
  HWND tooltip_ = nullptr;
  KeptFocus focus_;
  HFONT font_ = nullptr;
  std::wstring path_tip_;  // the label's tooltip: the whole path or ""
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_FORM1_H_
