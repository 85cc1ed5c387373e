#include "window/win32/folder_chooser.h"

// After windows.h, which it needs.
#include <shobjidl.h>

#include <cstdlib>
#include <vector>

#include "runtime/path.h"
#include "runtime/windows_text.h"
#include "window/control_texts.h"
#include "window/image_view.h"

namespace mirlot {

namespace {

constexpr WORD kLabelId = 0xFFFF;  // a control never named
constexpr WORD kFolderFieldId = 100;
constexpr WORD kBrowseButtonId = 101;
// The system's atoms of the control classes a dialog template names.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;

// A dialog template in memory, as DialogBoxIndirectParamW reads it: the
// dialog's header, then each control on a DWORD boundary.
class DialogTemplate {
 public:
  // A dialog titled `title` (UTF-8), `width` by `height` dialog units, in
  // the system's message font, which the dialog scales to its DPI.
  DialogTemplate(const char* title, WORD width, WORD height) {
    PutLong(DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU);
    PutLong(0);
    // How many controls (counted by Add), the place, no menu, the dialog
    // class.
    words_.insert(words_.end(), {0, 0, 0, width, height, 0, 0});
    PutText(Widen(title));
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof(metrics);
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics,
                          0);
    HDC screen = GetDC(nullptr);
    words_.push_back(
        static_cast<WORD>(MulDiv(std::abs(metrics.lfMessageFont.lfHeight), 72,
                                 GetDeviceCaps(screen, LOGPIXELSY))));
    ReleaseDC(nullptr, screen);
    PutText(metrics.lfMessageFont.lfFaceName);
  }

  // A control of the system class `kind` with `text` (UTF-8), `style` and
  // the identifier `id`, at left, top, width and height in dialog units.
  void Add(WORD kind, const char* text, DWORD style, const RECT& units,
           WORD id) {
    if (words_.size() % 2 != 0) words_.push_back(0);
    PutLong(WS_CHILD | WS_VISIBLE | style);
    PutLong(0);
    for (LONG value : {units.left, units.top, units.right, units.bottom}) {
      words_.push_back(static_cast<WORD>(value));
    }
    words_.insert(words_.end(), {id, 0xFFFF, kind});
    PutText(Widen(text));
    words_.push_back(0);  // no creation data
    ++words_[4];
  }

  const DLGTEMPLATE* get() const {
    return reinterpret_cast<const DLGTEMPLATE*>(words_.data());
  }

 private:
  void PutLong(DWORD value) {
    words_.insert(words_.end(), {LOWORD(value), HIWORD(value)});
  }
  void PutText(const std::wstring& text) {
    words_.insert(words_.end(), text.begin(), text.end());
    words_.push_back(0);
  }

  std::vector<WORD> words_;
};

std::wstring FieldText(HWND dialog) {
  HWND field = GetDlgItem(dialog, kFolderFieldId);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(field)) + 1,
                    L'\0');
  text.resize(static_cast<std::size_t>(
      GetWindowTextW(field, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool IsFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Browse…: the system's folder dialog, opened at the field's folder or the
// nearest one above it that exists; a chosen folder goes into the field.
void Browse(HWND dialog) {
  IFileOpenDialog* chooser = nullptr;
  if (FAILED(CoCreateInstance(CLSID_FileOpenDialog, nullptr,
                              CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&chooser)))) {
    return;
  }
  DWORD options = 0;
  (void)chooser->GetOptions(&options);
  (void)chooser->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
  std::wstring start = Widen(AbsolutePath(Narrow(FieldText(dialog))));
  while (!start.empty() && !IsFolder(start)) {
    const std::size_t separator = start.find_last_of(L"\\/");
    start.resize(separator == std::wstring::npos ? 0 : separator);
  }
  IShellItem* item = nullptr;
  if (!start.empty() && SUCCEEDED(SHCreateItemFromParsingName(
                            start.c_str(), nullptr, IID_PPV_ARGS(&item)))) {
    (void)chooser->SetFolder(item);
    item->Release();
  }
  if (SUCCEEDED(chooser->Show(dialog)) &&
      SUCCEEDED(chooser->GetResult(&item))) {
    PWSTR chosen = nullptr;
    if (SUCCEEDED(item->GetDisplayName(SIGDN_FILESYSPATH, &chosen))) {
      SetDlgItemTextW(dialog, kFolderFieldId, chosen);
      CoTaskMemFree(chosen);
    }
    item->Release();
  }
  chooser->Release();
}

// Centres `dialog` over its owner, as the message boxes show.
void CentreOverOwner(HWND dialog) {
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner == nullptr) return;
  RECT outer, inner;
  GetWindowRect(owner, &outer);
  GetWindowRect(dialog, &inner);
  SetWindowPos(dialog, nullptr,
               (outer.left + outer.right - (inner.right - inner.left)) / 2,
               (outer.top + outer.bottom - (inner.bottom - inner.top)) / 2, 0,
               0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The folder dialog's procedure; its lparam at the start is the
// std::wstring that holds the proposed folder and takes the chosen one.
INT_PTR CALLBACK FolderProcedure(HWND dialog, UINT message, WPARAM wparam,
                                 LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    SetDlgItemTextW(dialog, kFolderFieldId,
                    reinterpret_cast<std::wstring*>(lparam)->c_str());
    CentreOverOwner(dialog);
    return TRUE;  // the field takes the focus, its text selected
  }
  if (message != WM_COMMAND) return FALSE;
  switch (LOWORD(wparam)) {
    case kBrowseButtonId:
      Browse(dialog);
      return TRUE;
    case IDOK:
      *reinterpret_cast<std::wstring*>(GetWindowLongPtrW(dialog, DWLP_USER)) =
          FieldText(dialog);
      EndDialog(dialog, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

std::optional<std::string> Win32FolderChooser::ChooseFolder(
    HWND parent, const std::string& proposed) {
  DialogTemplate dialog(kFolderChooserTitle, 310, 62);
  // The label's access key moves on to the field after it.
  dialog.Add(kStaticClass, kFolderFieldLabel, SS_LEFT, {7, 7, 296, 9},
             kLabelId);
  dialog.Add(kEditClass, "", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL,
             {7, 18, 238, 14}, kFolderFieldId);
  dialog.Add(kButtonClass, kBrowseButtonCaption, WS_TABSTOP | BS_PUSHBUTTON,
             {251, 18, 52, 14}, kBrowseButtonId);
  dialog.Add(kButtonClass, kAcceptFolderCaption, WS_TABSTOP | BS_DEFPUSHBUTTON,
             {197, 41, 52, 14}, IDOK);
  dialog.Add(kButtonClass, kCancelButtonTexts.caption,
             WS_TABSTOP | BS_PUSHBUTTON, {251, 41, 52, 14}, IDCANCEL);
  std::wstring folder = Widen(proposed);
  if (DialogBoxIndirectParamW(GetModuleHandleW(nullptr), dialog.get(), parent,
                              &FolderProcedure,
                              reinterpret_cast<LPARAM>(&folder)) != IDOK ||
      folder.empty()) {
    return std::nullopt;
  }
  return AbsolutePath(Narrow(folder));
}

}  // namespace mirlot
