// mirlot-gui.exe: the desktop window. `mirlot-gui [LIST]`: a LIST that names
// an existing file is taken as the chosen list; --help (or /?) and
// --version show their text in a message box and exit.
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/windows_text.h"
#include "window/win32/form1.h"
#include "window/win32/system_dialogs.h"
#include "window/window_arguments.h"

namespace {

// The arguments of the wide command line as UTF-8, without the program's
// name.
std::vector<std::string> Arguments() {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int k = 1; wide != nullptr && k < count; ++k) {
    arguments.push_back(mirlot::Narrow(wide[k]));
  }
  LocalFree(wide);
  return arguments;
}

// `path` as a full path, or as it is when the system cannot make one.
std::string FullPath(const std::string& path) {
  const std::wstring wide = mirlot::Widen(path);
  std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD length = GetFullPathNameW(
      wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length == 0 || length >= full.size()) return path;
  full.resize(length);
  return mirlot::Narrow(full);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  // The file dialog and the accessibility annotations want COM.
  (void)CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  mirlot::Win32TaskDialogPresenter presenter;
  const mirlot::WindowStart start = mirlot::ReadWindowArguments(
      Arguments(), MIRLOT_VERSION, /*slash_help=*/true);
  if (start.kind != mirlot::WindowStart::Kind::kWindow) {
    presenter.ShowMessage(nullptr, {mirlot::kWindowTitle, start.text, ""});
    return start.kind == mirlot::WindowStart::Kind::kUsageError ? 2 : 0;
  }
  mirlot::Win32OpenFileChooser chooser;
  mirlot::Win32Form1 window({.chooser = chooser,
                             .presenter = presenter,
                             .file_system = mirlot::HostFileSystem()});
  if (window.hwnd() == nullptr) return 1;
  // Before the window shows: a refusal appears on its own, where the window
  // is yet to be placed.
  if (!start.list.empty()) window.OfferArgument(FullPath(start.list));
  ShowWindow(window.hwnd(), show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.hwnd() != nullptr && window.TranslateKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
