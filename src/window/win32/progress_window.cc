#include "window/win32/progress_window.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "runtime/windows_text.h"
#include "window/list_choice.h"
#include "window/win32/dpi.h"

namespace mirlot {

namespace {

constexpr int kProgressSteps = 1000;
// Client area and controls in pixels at 96 dots per inch.
constexpr SIZE kClientSize = {336, 104};
constexpr RECT kLabelPlace = {12, 12, 324, 32};
constexpr RECT kBarPlace = {12, 38, 324, 56};
constexpr RECT kCancelPlace = {244, 68, 324, 92};
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;

HWND Child(HWND parent, const wchar_t* kind, const wchar_t* text, DWORD style,
           const RECT& place, UINT dpi, int id) {
  return CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style,
                         Scale(place.left, dpi), Scale(place.top, dpi),
                         Scale(place.right - place.left, dpi),
                         Scale(place.bottom - place.top, dpi), parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

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

ProgressWindow::ProgressWindow(HWND owner, std::function<void()> on_cancel)
    : on_cancel_(std::move(on_cancel)) {
  RegisterOnce();
  const UINT dpi = WindowDpi(owner);
  const SIZE outer = OuterSize(
      {Scale(kClientSize.cx, dpi), Scale(kClientSize.cy, dpi)}, kStyle, dpi);
  RECT over;
  GetWindowRect(owner, &over);
  hwnd_ = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT,
                          kProgressWindowClass, Widen(kWindowTitle).c_str(),
                          kStyle, (over.left + over.right - outer.cx) / 2,
                          (over.top + over.bottom - outer.cy) / 2, outer.cx,
                          outer.cy, owner, nullptr, GetModuleHandleW(nullptr),
                          nullptr);
  if (hwnd_ == nullptr) return;
  SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(hwnd_, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(&ProgressWindow::Procedure));
  CreateControls(dpi);
  ShowWindow(hwnd_, SW_SHOW);
  SetFocus(cancel_);
}

ProgressWindow::~ProgressWindow() {
  if (hwnd_ != nullptr) DestroyWindow(hwnd_);
  if (font_ != nullptr) DeleteObject(font_);
}

void ProgressWindow::CreateControls(UINT dpi) {
  font_ = CreateMessageFont(dpi);
  label_ = Child(hwnd_, L"STATIC", L"Packing\u2026", SS_LEFT | SS_NOPREFIX,
                 kLabelPlace, dpi, 0);
  bar_ = Child(hwnd_, PROGRESS_CLASSW, L"", 0, kBarPlace, dpi, 0);
  cancel_ = Child(hwnd_, L"BUTTON", L"Cancel", WS_TABSTOP | BS_DEFPUSHBUTTON,
                  kCancelPlace, dpi, IDCANCEL);
  SendMessageW(bar_, PBM_SETRANGE32, 0, kProgressSteps);
  for (HWND control : {label_, cancel_}) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }
}

void ProgressWindow::ShowProgress(std::uint64_t done, std::uint64_t total) {
  if (cancelled_ || total == 0 || hwnd_ == nullptr) return;
  done = std::min(done, total);
  // Writing the image out to disk can take a while after the last byte.
  const std::wstring text =
      done < total
          ? L"Packed " + std::to_wstring(done) + L" of " +
                std::to_wstring(total) + L" bytes"
          : L"Packed all " + std::to_wstring(total) + L" bytes, saving\u2026";
  SetWindowTextW(label_, text.c_str());
  SendMessageW(bar_, PBM_SETPOS,
               static_cast<WPARAM>(done * kProgressSteps / total), 0);
}

void ProgressWindow::ShowWaiting(const std::string& text) {
  if (cancelled_ || hwnd_ == nullptr) return;
  SetWindowTextW(label_, Widen(text).c_str());
}

void ProgressWindow::Cancel() {
  if (cancelled_) return;
  cancelled_ = true;
  EnableWindow(cancel_, FALSE);
  SetWindowTextW(label_, L"Cancelling\u2026");
  on_cancel_();
}

LRESULT CALLBACK ProgressWindow::Procedure(HWND hwnd, UINT message,
                                           WPARAM wparam, LPARAM lparam) {
  auto* self =
      reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  const bool cancel = message == WM_CLOSE ||
                      (message == WM_COMMAND && LOWORD(wparam) == IDCANCEL);
  if (self == nullptr || !cancel) {
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  self->Cancel();
  return 0;
}

}  // namespace mirlot
