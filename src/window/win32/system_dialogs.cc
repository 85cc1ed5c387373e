#include "window/win32/system_dialogs.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <vector>

#include "runtime/windows_text.h"
#include "window/layout.h"
#include "window/win32/dpi.h"

namespace mirlot {

namespace {

// Long enough for any path the dialog hands back, \\?\ ones included.
constexpr DWORD kPathCapacity = 32768;

// The widest line of `text` in `font`, in pixels.
int WidestLine(HDC dc, HFONT font, const std::wstring& text) {
  HGDIOBJ old_font = SelectObject(dc, font);
  RECT area = {0, 0, 0, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &area,
            DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS);
  SelectObject(dc, old_font);
  return area.right - area.left;
}

// `pixels` in the horizontal dialog units of `font`, as a task dialog
// counts its width: four to the font's average character.
UINT DialogUnits(HDC dc, HFONT font, int pixels) {
  constexpr wchar_t kAlphabet[] =
      L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  HGDIOBJ old_font = SelectObject(dc, font);
  SIZE size = {};
  GetTextExtentPoint32W(dc, kAlphabet, 52, &size);
  SelectObject(dc, old_font);
  const int average = std::max<int>(1, (size.cx / 26 + 1) / 2);
  return static_cast<UINT>(MulDiv(pixels, 4, average));
}

// Shows `message` in a task dialog with the common `buttons`, `chosen`
// the default, as wide as its title and text need, the detail a paragraph
// of its own under the text; MessageBoxW should the task dialog fail.
// Returns the button chosen, IDCANCEL when the dialog was closed.
int ShowTaskDialog(HWND parent, const WindowMessage& message,
                   TASKDIALOG_COMMON_BUTTON_FLAGS buttons, int chosen) {
  const std::wstring title = Widen(message.title);
  std::wstring text = Widen(message.text);
  if (!message.detail.empty()) text += L"\n\n" + Widen(message.detail);
  const int dpi = WindowDpi(parent);
  HFONT caption_font = CreateSystemFont(dpi, true);
  HFONT text_font = CreateSystemFont(dpi, false);
  HDC dc = GetDC(parent);
  const int width = MessageWidth(WidestLine(dc, caption_font, title),
                                 WidestLine(dc, text_font, text), dpi);
  TASKDIALOGCONFIG config = {};
  config.cbSize = sizeof(config);
  config.hwndParent = parent;
  config.dwFlags =
      TDF_ALLOW_DIALOG_CANCELLATION | TDF_POSITION_RELATIVE_TO_WINDOW;
  config.dwCommonButtons = buttons;
  config.nDefaultButton = chosen;
  config.pszWindowTitle = title.c_str();
  config.pszContent = text.c_str();
  config.cxWidth = DialogUnits(dc, text_font, width);
  ReleaseDC(parent, dc);
  DeleteObject(caption_font);
  DeleteObject(text_font);
  if (SUCCEEDED(TaskDialogIndirect(&config, &chosen, nullptr, nullptr))) {
    return chosen;
  }
  const UINT kind =
      buttons == TDCBF_OK_BUTTON ? MB_OK : MB_YESNO | MB_DEFBUTTON2;
  return MessageBoxW(parent, text.c_str(), title.c_str(), kind);
}

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

void Win32TaskDialogPresenter::ShowMessage(HWND parent,
                                           const WindowMessage& message) {
  (void)ShowTaskDialog(parent, message, TDCBF_OK_BUTTON, IDOK);
}

bool Win32TaskDialogQuestioner::Ask(HWND parent,
                                    const WindowMessage& question) {
  return ShowTaskDialog(parent, question, TDCBF_YES_BUTTON | TDCBF_NO_BUTTON,
                        IDNO) == IDYES;
}

}  // namespace mirlot
