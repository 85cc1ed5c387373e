#include "window/win32/system_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "runtime/windows_text.h"

namespace mirlot {

namespace {

// Long enough for any path the dialog hands back, \\?\ ones included.
constexpr DWORD kPathCapacity = 32768;

}  // namespace

std::optional<std::string> OpenFileListChooser::ChooseList(
    HWND parent, const std::string& start_folder) {
  // "description\0pattern\0\0", as the dialog expects.
  const std::wstring filter = Widen(kListFilterName) + L'\0' +
                              Widen(kListFilterPattern) + L'\0' + L'\0';
  const std::wstring folder = Widen(start_folder);
  std::vector<wchar_t> file(kPathCapacity, L'\0');
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = parent;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = kPathCapacity;
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  // The run works in the list's folder; the process keeps its own.
  dialog.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                 OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetOpenFileNameW(&dialog)) return std::nullopt;
  return Narrow(file.data());
}

void MessageBoxPresenter::ShowMessage(HWND parent, const std::string& title,
                                      const std::string& text) {
  MessageBoxW(parent, Widen(text).c_str(), Widen(title).c_str(), MB_OK);
}

}  // namespace mirlot
