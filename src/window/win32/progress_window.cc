#include "window/win32/progress_window.h"

#include <commctrl.h>

#include <string_view>
#include <utility>

#include "runtime/windows_text.h"
#include "window/control_texts.h"
#include "window/win32/dpi.h"

namespace mirlot {

namespace {

constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr UINT kMarqueeMilliseconds = 30;

void RegisterOnce() {
  WNDCLASSEXW kind = {};
  kind.cbSize = sizeof(kind);
  kind.lpfnWndProc = DefWindowProcW;
  kind.hInstance = GetModuleHandleW(nullptr);
  kind.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  kind.lpszClassName = kProgressWindowClass;
  RegisterClassExW(&kind);  // fails harmlessly when already registered
}

}  // namespace

Win32ProgressWindow::Win32ProgressWindow(HWND owner,
                                         std::function<void()> on_cancel)
    : on_cancel_(std::move(on_cancel)) {
  RegisterOnce();
  dpi_ = WindowDpi(owner);
  const Place client = PlaceInPixels(kProgressClient, dpi_);
  const SIZE outer = OuterSize({client.width, client.height}, kStyle, dpi_);
  RECT over;
  GetWindowRect(owner, &over);
  wchar_t title[64] = {};
  GetWindowTextW(owner, title, 64);
  hwnd_ = CreateWindowExW(
      WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kProgressWindowClass, title,
      kStyle, (over.left + over.right - outer.cx) / 2,
      (over.top + over.bottom - outer.cy) / 2, outer.cx, outer.cy, owner,
      nullptr, GetModuleHandleW(nullptr), nullptr);
  if (hwnd_ == nullptr) return;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(
      hwnd_, GWLP_WNDPROC,
      reinterpret_cast<LONG_PTR>(&Win32ProgressWindow::Procedure));
  CreateControls();
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(cancel_);
}

Win32ProgressWindow::~Win32ProgressWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (font_ != nullptr) DeleteObject(font_);
}

void Win32ProgressWindow::CreateControls() {
  font_ = CreateSystemFont(dpi_, false);
  label_ = CreateControl(hwnd_, L"STATIC", L"", SS_LEFT | SS_NOPREFIX,
                         kProgressTextId);
  bar_ = CreateControl(hwnd_, PROGRESS_CLASSW, L"", 0, 0);
  cancel_ =
      CreateControl(hwnd_, L"BUTTON", Widen(kCancelButtonTexts.caption).c_str(),
                    WS_TABSTOP | BS_DEFPUSHBUTTON, IDCANCEL);
  SendMessageW(bar_, PBM_SETRANGE32, 0, 1000);
  for (HWND control : {label_, cancel_}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
  ShowText("");
}

void Win32ProgressWindow::ShowText(const std::string& text) {
  ProgressLayout layout;
  {
    const TextMeasure measure(label_, font_);
    layout = LayOutProgress(
        text, [&measure](std::string_view part) { return measure.Width(part); },
        measure.LineHeight(), dpi_);
  }
  SetWindowTextW(label_, Widen(JoinLines(layout.lines, "\r\n")).c_str());
  // Moved only when the layout changed, so that most texts move nothing.
  if (layout.client == placed_client_) return;
  placed_client_ = layout.client;
  const SIZE outer =
      OuterSize({layout.client.width, layout.client.height}, kStyle, dpi_);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceControlAt(label_, layout.text);
  PlaceControlAt(bar_, layout.bar);
  PlaceControlAt(cancel_, layout.cancel);
  // Everything paints anew: under wine a control moved into the grown part
  // of the window stayed clipped to its earlier size otherwise.
  RedrawWindow(hwnd_, nullptr, nullptr,
               RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
}

void Win32ProgressWindow::Show(const ProgressLook& look) {
  if (hwnd_ == nullptr) return;
  ShowText(look.text);
  // A marquee bar is a busy one.
  const LONG_PTR style = GetWindowLongPtrW(bar_, GWL_STYLE);
  const LONG_PTR wanted =
      look.permille ? style & ~PBS_MARQUEE : style | PBS_MARQUEE;
  if (wanted != style) {
    SetWindowLongPtrW(bar_, GWL_STYLE, wanted);
    SendMessageW(bar_, PBM_SETMARQUEE, !look.permille, kMarqueeMilliseconds);
  }
  if (look.permille) SendMessageW(bar_, PBM_SETPOS, *look.permille, 0);
  EnableWindow(cancel_, look.can_cancel);
}

bool Win32ProgressWindow::TranslateKeys(MSG& message) {
  HWND root = GetAncestor(message.hwnd, GA_ROOT);
  wchar_t kind[32] = {};
  if (root == nullptr || GetClassNameW(root, kind, 32) == 0 ||
      std::wstring_view(kind) != kProgressWindowClass) {
    return false;
  }
  return IsDialogMessageW(root, &message);
}

LRESULT CALLBACK Win32ProgressWindow::Procedure(HWND hwnd, UINT message,
                                                WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<Win32ProgressWindow*>(
      GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  const bool cancel = message == WM_CLOSE ||
                      (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL);
  if (self == nullptr || !cancel) {
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  self->on_cancel_();
  return 0;
}

}  // namespace mirlot
