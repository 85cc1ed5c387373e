// mirlot-gui.exe: the desktop window. `mirlot-gui [LIST]`: a LIST that names
// an existing file is taken as the chosen list; an out.bin, a report.txt
// with an out.bin beside it, or --image FILE opens the image window alone;
// --help (or /?) and --version show their text in a message box and exit.
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/windows_text.h"
#include "window/image_choice.h"
#include "window/win32/dpi.h"
#include "window/win32/folder_chooser.h"
#include "window/win32/form1.h"
#include "window/win32/image_window.h"
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

// The image the program is started with, as a full path: --image's FILE,
// or a LIST that names an image (ImageNamedBy); "" when none.
std::string StartImage(const mirlot::WindowStart& start,
                       mirlot::FileSystem& file_system) {
  const std::string& given = start.image.empty() ? start.list : start.image;
  if (given.empty()) return "";
  const std::string path = FullPath(given);
  if (!start.image.empty()) return path;
  return mirlot::ImageNamedBy(path, file_system).value_or("");
}

// Places `image` right of `form`, a little apart, level with its top.
void PlaceBeside(HWND image, HWND form) {
  RECT frame;
  GetWindowRect(form, &frame);
  SetWindowPos(
      image, nullptr,
      frame.right + MulDiv(16, mirlot::WindowDpi(form), mirlot::kBaseDpi),
      frame.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Serves the windows until the program is to end; the keys of `form` (when
// not null) and of `image` (once it is) are handled as a dialog's. Returns
// the exit status.
int ServeWindows(mirlot::Win32Form1* form,
                 const std::unique_ptr<mirlot::Win32ImageWindow>& image) {
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (form != nullptr && form->hwnd() != nullptr &&
        form->TranslateKeys(message)) {
      continue;
    }
    if (image != nullptr && image->TranslateKeys(message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
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
  mirlot::Win32FolderChooser folder_chooser;
  mirlot::Win32TaskDialogQuestioner questioner;
  mirlot::FileSystem& file_system = mirlot::HostFileSystem();
  const mirlot::Win32ImageServices image_services = {
      chooser, folder_chooser, questioner, presenter, file_system};
  std::unique_ptr<mirlot::Win32ImageWindow> image_window;
  // Started with an image, its window alone shows; closing it ends the
  // program.
  if (const std::string image = StartImage(start, file_system);
      !image.empty()) {
    image_window =
        std::make_unique<mirlot::Win32ImageWindow>(image_services, true);
    if (image_window->hwnd() == nullptr || !image_window->OpenImage(image)) {
      return 1;
    }
    ShowWindow(image_window->hwnd(), show);
    return ServeWindows(nullptr, image_window);
  }
  HWND form = nullptr;
  // A dropped image opens beside the window, one at a time.
  mirlot::Win32Form1 window(
      {.chooser = chooser, .presenter = presenter, .file_system = file_system},
      [&](const std::string& image) {
        if (image_window == nullptr) {
          image_window =
              std::make_unique<mirlot::Win32ImageWindow>(image_services, false);
          PlaceBeside(image_window->hwnd(), form);
        }
        if (image_window->hwnd() != nullptr && image_window->OpenImage(image)) {
          ShowWindow(image_window->hwnd(), SW_SHOWNORMAL);
          SetForegroundWindow(image_window->hwnd());
        }
      });
  form = window.hwnd();
  if (form == nullptr) return 1;
  // Before the window shows: a refusal appears on its own, where the window
  // is yet to be placed.
  if (!start.list.empty()) window.OfferArgument(FullPath(start.list));
  ShowWindow(form, show);
  return ServeWindows(&window, image_window);
}
