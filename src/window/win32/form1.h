// The program's one window, native Win32: it holds the chosen list and
// hands it to the packing run when Start is pressed. A list dropped onto
// the window counts as a choice.
#ifndef MIRLOT_WINDOW_WIN32_FORM1_H_
#define MIRLOT_WINDOW_WIN32_FORM1_H_

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "runtime/file_system.h"
#include "window/list_choice.h"
#include "window/win32/system_dialogs.h"
#include "window/window_services.h"

namespace mirlot {

inline constexpr wchar_t kForm1Class[] = L"MirlotForm1";
// The controls' identifiers, in tab order.
inline constexpr int kPathLabelId = 100;
inline constexpr int kPathButtonId = 101;
inline constexpr int kStartButtonId = 102;

// What the window works with; the real program passes the file dialog, the
// message box and the host's file system, tests pass fakes.
struct Win32WindowServices {
  Win32ListChooser& chooser;
  Win32MessagePresenter& presenter;
  FileSystem& file_system;
  RunTiming timing = {};
};

class Win32Form1 {
 public:
  // Creates the window, hidden, where the system places new windows.
  // hwnd() is null when the system refused.
  explicit Win32Form1(Win32WindowServices services);
  ~Win32Form1();
  Win32Form1(const Win32Form1&) = delete;
  Win32Form1& operator=(const Win32Form1&) = delete;

  HWND hwnd() const { return hwnd_; }
  bool list_chosen() const { return choice_.chosen(); }
  const std::string& caption() const { return choice_.caption(); }

  // Lists offered by a drop or on the command line (full paths, UTF-8):
  // one list becomes the chosen one; a folder or several paths change
  // nothing.
  void OfferLists(const std::vector<std::string>& paths);

  // The keyboard of a dialog for `message`, taken from the program's
  // message loop: Tab moves between the buttons, Enter and Space press the
  // focused one. Returns true when the message was handled.
  bool TranslateKeys(MSG& message);

 private:
  static LRESULT CALLBACK Procedure(HWND hwnd, UINT message, WPARAM wparam,
                                    LPARAM lparam);
  LRESULT Handle(UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls();
  // Places the window and its controls at `dpi`, in the matching font.
  void Layout(UINT dpi);
  void ShowChoice();
  // cmdPath: asks for a list; a cancelled choice changes nothing.
  void ChooseList();
  // cmdStart: runs the packing with the chosen list, if any.
  void StartRun();
  void Drop(HDROP drop);

  Win32WindowServices services_;
  ListChoice choice_;
  bool running_ = false;
  HWND hwnd_ = nullptr;
  HWND lbl_path_ = nullptr;
  HWND cmd_path_ = nullptr;
  HWND cmd_start_ = nullptr;
  HWND tooltip_ = nullptr;
  HWND focus_ = nullptr;  // the control focused when the window was left
  HFONT font_ = nullptr;
  std::wstring tip_;  // the tooltip's text: the whole path when shortened
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_FORM1_H_
