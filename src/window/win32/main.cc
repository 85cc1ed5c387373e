// mirlot-gui.exe: the desktop window. A list path given as the first
// argument is taken as the chosen list.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/windows_text.h"
#include "window/win32/form1.h"
#include "window/win32/system_dialogs.h"

namespace {

// The first argument of the wide command line as a full path, or nothing.
std::vector<std::string> ListArgument() {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> paths;
  if (arguments != nullptr && count > 1) {
    std::wstring full(GetFullPathNameW(arguments[1], 0, nullptr, nullptr),
                      L'\0');
    const DWORD length = GetFullPathNameW(
        arguments[1], static_cast<DWORD>(full.size()), full.data(), nullptr);
    full.resize(length < full.size() ? length : 0);
    paths.push_back(mirlot::Narrow(full.empty() ? arguments[1] : full));
  }
  LocalFree(arguments);
  return paths;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  mirlot::Win32OpenFileChooser chooser;
  mirlot::Win32MessageBoxPresenter presenter;
  mirlot::Win32Form1 window({.chooser = chooser,
                             .presenter = presenter,
                             .file_system = mirlot::HostFileSystem()});
  if (window.hwnd() == nullptr) return 1;
  window.OfferLists(ListArgument());
  ShowWindow(window.hwnd(), show);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (window.hwnd() != nullptr && window.TranslateKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}
