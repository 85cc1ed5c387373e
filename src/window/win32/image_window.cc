#include "window/win32/image_window.h"

#include <algorithm>
#include <climits>

#include "runtime/windows_text.h"
#include "window/win32/accessibility.h"
#include "window/win32/dpi.h"
#include "window/win32/run_host.h"
#include "window/win32/top_level_window.h"

namespace mirlot {

namespace {

constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;

// Sizes in pixels at 96 DPI.
constexpr SIZE kClient = {640, 420};
constexpr SIZE kLeastClient = {400, 220};
constexpr int kMargin = 9;
constexpr int kGap = 6;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kScrollBarWidth = 17;
constexpr int kCellPadding = 14;
constexpr int kLeastNameWidth = 80;
// Longer verdicts are cut: the table keeps the room.
constexpr int kMostVerdictLines = 3;

// How many digits wide each of kEntryColumns is; the name takes the rest.
constexpr int kFieldDigits[] = {7, 0, 12, 12};
constexpr int kNameField = 1;
// Which of kEntryColumns each column of the list shows, and where it is
// shown (the same swap): a list view draws its first column's cells
// left-aligned whatever it is told, so the name comes first and is shown
// second, and the number is right-aligned as the other numbers are.
constexpr int kFieldOfColumn[] = {1, 0, 2, 3};

constexpr const ControlTexts* kButtonTexts[] = {
    &kExtractButtonTexts, &kVerifyButtonTexts, &kReloadButtonTexts,
    &kCloseButtonTexts};
constexpr int kButtonIds[] = {kExtractButtonId, kVerifyButtonId,
                              kReloadButtonId, IDCANCEL};

int Scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }

void AddColumns(HWND list) {
  for (int column = 0; column < static_cast<int>(std::size(kFieldOfColumn));
       ++column) {
    const int field = kFieldOfColumn[column];
    std::wstring name = Widen(kEntryColumns[static_cast<std::size_t>(field)]);
    LVCOLUMNW added = {};
    added.mask = LVCF_FMT | LVCF_TEXT;
    added.fmt = field == kNameField ? LVCFMT_LEFT : LVCFMT_RIGHT;
    added.pszText = name.data();
    ListView_InsertColumn(list, column, &added);
  }
  int order[std::size(kFieldOfColumn)];
  std::ranges::copy(kFieldOfColumn, order);
  ListView_SetColumnOrderArray(list, std::size(order), order);
}

}  // namespace

Win32ImageWindow::Win32ImageWindow(Win32ImageServices services, bool alone)
    : core_(services), alone_(alone) {
  UseCommonControls();
  hwnd_ = CreateTopLevelWindow(kImageWindowClass, &Win32ImageWindow::Procedure,
                               WS_EX_CONTROLPARENT, kStyle, Widen(kWindowTitle),
                               this);
  if (hwnd_ == nullptr) return;
  CreateControls();
  const int dpi = WindowDpi(hwnd_);
  Rescale(dpi);
  const SIZE outer = OuterSize(
      {Scaled(kClient.cx, dpi), Scaled(kClient.cy, dpi)}, kStyle, dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

Win32ImageWindow::~Win32ImageWindow() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (font_ != nullptr) DeleteObject(font_);
}

void Win32ImageWindow::CreateControls() {
  // Created in tab order; the texts take no access keys.
  path_ = CreateControl(hwnd_, L"STATIC", L"",
                        SS_LEFTNOWORDWRAP | SS_PATHELLIPSIS | SS_NOPREFIX,
                        kImagePathId);
  verdict_ =
      CreateControl(hwnd_, L"STATIC", L"", SS_LEFT | SS_NOPREFIX, kVerdictId);
  // Virtual: the list asks for the rows it draws.
  list_ = CreateWindowExW(
      WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA, 0, 0, 0,
      0, hwnd_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEntryListId)),
      GetModuleHandleW(nullptr), nullptr);
  ListView_SetExtendedListViewStyle(list_,
                                    LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER);
  AddColumns(list_);
  Annotate(list_, kEntryTableTexts);
  for (std::size_t k = 0; k < buttons_.size(); ++k) {
    // Close is the default button: Enter presses it from the list.
    const DWORD kind =
        k + 1 == buttons_.size() ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    buttons_[k] =
        CreateControl(hwnd_, L"BUTTON", Widen(kButtonTexts[k]->caption).c_str(),
                      WS_TABSTOP | kind, kButtonIds[k]);
    Annotate(buttons_[k], *kButtonTexts[k]);
  }
}

void Win32ImageWindow::Rescale(int dpi) {
  dpi_ = dpi;
  HFONT old_font = font_;
  font_ = CreateSystemFont(dpi, false);
  for (HWND control : {path_, verdict_, list_}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  for (HWND button : buttons_) {
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  const int digit = TextMeasure(list_, font_).Width("0");
  for (int column = 0; column < static_cast<int>(std::size(kFieldOfColumn));
       ++column) {
    const int field = kFieldOfColumn[column];
    if (field == kNameField) continue;
    ListView_SetColumnWidth(
        list_, column, digit * kFieldDigits[field] + Scaled(kCellPadding, dpi));
  }
  if (old_font != nullptr) DeleteObject(old_font);
  Layout();
}

void Win32ImageWindow::Layout() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int margin = Scaled(kMargin, dpi_);
  const int gap = Scaled(kGap, dpi_);
  const int width = std::max<int>(1, client.right - 2 * margin);
  int line = 0;
  int verdict = 0;
  {
    const TextMeasure measure(verdict_, font_);
    line = measure.LineHeight();
    verdict = measure.WrappedHeight(core_.open() ? core_.Verdict() : "", width);
  }
  verdict = std::clamp(verdict, line, line * kMostVerdictLines);
  PlaceControlAt(path_, {margin, margin, width, line});
  const int verdict_top = margin + line + gap / 2;
  PlaceControlAt(verdict_, {margin, verdict_top, width, verdict});
  const int list_top = verdict_top + verdict + gap;
  const Place button = {0, client.bottom - margin - Scaled(kButtonHeight, dpi_),
                        Scaled(kButtonWidth, dpi_),
                        Scaled(kButtonHeight, dpi_)};
  PlaceControlAt(list_, {margin, list_top, width,
                         std::max(0, button.top - gap - list_top)});
  for (std::size_t k = 0; k + 1 < buttons_.size(); ++k) {
    const int left = margin + static_cast<int>(k) * (button.width + gap);
    PlaceControlAt(buttons_[k],
                   {left, button.top, button.width, button.height});
  }
  PlaceControlAt(buttons_.back(), {client.right - margin - button.width,
                                   button.top, button.width, button.height});
  // The name takes what the numbers leave, a vertical scroll bar's room
  // kept so that no horizontal one is needed.
  int name = width - Scaled(kScrollBarWidth + 4, dpi_);
  for (int column = 0; column < static_cast<int>(std::size(kFieldOfColumn));
       ++column) {
    if (kFieldOfColumn[column] != kNameField) {
      name -= ListView_GetColumnWidth(list_, column);
    }
  }
  ListView_SetColumnWidth(list_, kFieldOfColumn[kNameField],
                          std::max(name, Scaled(kLeastNameWidth, dpi_)));
}

bool Win32ImageWindow::OpenImage(const std::string& path) {
  // A failure while the window is hidden stands on its own, on the screen.
  HWND parent = IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
  Win32RunHost host(hwnd_);
  if (core_.Open(host, parent, path)) ShowImage();
  return core_.open();
}

void Win32ImageWindow::ShowImage() {
  SetWindowTextW(hwnd_, Widen(core_.Title()).c_str());
  SetWindowTextW(path_, Widen(core_.catalog().image_path()).c_str());
  SetWindowTextW(verdict_, Widen(core_.Verdict()).c_str());
  const std::uint64_t rows =
      std::min<std::uint64_t>(core_.row_count(), INT_MAX);
  ListView_SetItemCountEx(list_, static_cast<int>(rows), 0);
  InvalidateRect(list_, nullptr, TRUE);
  Layout();
}

void Win32ImageWindow::GetRowText(LVITEMW& item) {
  if ((item.mask & LVIF_TEXT) == 0 || item.cchTextMax <= 0 || item.iItem < 0 ||
      item.iSubItem < 0 ||
      item.iSubItem >= static_cast<int>(std::size(kFieldOfColumn))) {
    return;
  }
  const auto& texts = core_.Row(static_cast<std::uint64_t>(item.iItem));
  const int field = kFieldOfColumn[item.iSubItem];
  lstrcpynW(item.pszText, Widen(texts[static_cast<std::size_t>(field)]).c_str(),
            item.cchTextMax);
}

void Win32ImageWindow::Command(int id) {
  if (id == IDCANCEL) {
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    return;
  }
  Win32RunHost host(hwnd_);
  if (id == kExtractButtonId) core_.Extract(host, hwnd_);
  if (id == kVerifyButtonId) core_.Verify(host, hwnd_);
  if (id == kReloadButtonId && core_.Reload(host, hwnd_)) ShowImage();
}

bool Win32ImageWindow::TranslateKeys(MSG& message) {
  if (hwnd_ == nullptr ||
      (message.hwnd != hwnd_ && !IsChild(hwnd_, message.hwnd))) {
    return false;
  }
  // Taken before the focused control, which would keep them.
  if (message.message == WM_KEYDOWN &&
      (message.wParam == VK_RETURN || message.wParam == VK_ESCAPE)) {
    HWND pressed = buttons_.back();
    if (message.wParam == VK_RETURN &&
        std::ranges::find(buttons_, GetFocus()) != buttons_.end()) {
      pressed = GetFocus();
    }
    SendMessageW(pressed, BM_CLICK, 0, 0);
    return true;
  }
  return IsDialogMessageW(hwnd_, &message);
}

LRESULT Win32ImageWindow::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) Command(LOWORD(wparam));
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lparam);
      if (header->hwndFrom != list_) return 0;
      if (header->code == LVN_GETDISPINFOW) {
        GetRowText(reinterpret_cast<NMLVDISPINFOW*>(lparam)->item);
      }
      // Typing finds no row: that would read every name.
      return header->code == LVN_ODFINDITEMW ? -1 : 0;
    }
    case WM_SIZE:
      Layout();
      return 0;
    case WM_GETMINMAXINFO: {
      const SIZE least = OuterSize(
          {Scaled(kLeastClient.cx, dpi_), Scaled(kLeastClient.cy, dpi_)},
          kStyle, dpi_);
      reinterpret_cast<MINMAXINFO*>(lparam)->ptMinTrackSize = {least.cx,
                                                               least.cy};
      return 0;
    }
    case WM_CLOSE:
      if (core_.running()) return 0;
      ShowWindow(hwnd_, SW_HIDE);
      if (alone_) PostQuitMessage(0);
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      if (alone_) PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      focus_.OnActivate(hwnd_, wparam);
      break;
    case WM_SETFOCUS:
      focus_.Restore(list_);
      return 0;
    case WM_DPICHANGED: {
      // The fonts first: the new size is laid out at the new DPI.
      Rescale(HIWORD(wparam));
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left,
                   suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK Win32ImageWindow::Procedure(HWND hwnd, UINT message,
                                             WPARAM wparam, LPARAM lparam) {
  auto* self =
      static_cast<Win32ImageWindow*>(WindowObject(hwnd, message, lparam));
  if (self == nullptr || self->hwnd_ == nullptr) {
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return self->Handle(message, wparam, lparam);
}

}  // namespace mirlot
