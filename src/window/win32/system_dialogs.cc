#include "window/win32/system_dialogs.h"

#include <commdlg.h>

#include <vector>

#include "runtime/windows_text.h"

namespace mirlot {

namespace {

// Long enough for any path the dialog hands back, \\?\ ones included.
constexpr DWORD kPathCapacity = 32768;

}  // namespace

std::optional<std::string> Win32OpenFileChooser::ChooseList(
    HWND parent, const std::string& start_folder) {
  // "description\0pattern\0...\0", as the dialog expects.
  std::wstring filter;
  for (const ListFilter& each : kListFilters) {
    filter += Widen(each.name) + L'\0' + Widen(each.pattern) + L'\0';
  }
  filter += L'\0';
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

void Win32MessageBoxPresenter::ShowMessage(HWND parent,
                                           const WindowMessage& message) {
  std::wstring text = Widen(message.text);
  if (!message.detail.empty()) text += L"\n\n" + Widen(message.detail);
  MessageBoxW(parent, text.c_str(), Widen(message.title).c_str(), MB_OK);
}

}  // namespace mirlot
