#include "window/win32/dpi.h"

#include <commctrl.h>

#include <string>

#include "runtime/windows_text.h"

namespace mirlot {

namespace {

using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
using AdjustForDpiCall = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
using ParametersForDpiCall = BOOL(WINAPI*)(UINT, UINT, PVOID, UINT, UINT);

template <typename Call>
Call User32(const char* name) {
  // Cast through a generic function pointer, as GetProcAddress intends.
  return reinterpret_cast<Call>(reinterpret_cast<void (*)()>(
      GetProcAddress(GetModuleHandleW(L"user32.dll"), name)));
}

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : kBaseDpi;
}

}  // namespace

int WindowDpi(HWND window) {
  static const auto get_dpi = User32<GetDpiForWindowCall>("GetDpiForWindow");
  const UINT dpi = get_dpi != nullptr ? get_dpi(window) : 0;
  return dpi != 0 ? static_cast<int>(dpi) : SystemDpi();
}

SIZE OuterSize(SIZE client, DWORD style, int dpi) {
  static const auto adjust =
      User32<AdjustForDpiCall>("AdjustWindowRectExForDpi");
  RECT rect = {0, 0, client.cx, client.cy};
  if (adjust != nullptr) {
    adjust(&rect, style, FALSE, 0, static_cast<UINT>(dpi));
  } else {
    AdjustWindowRectEx(&rect, style, FALSE, 0);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

HFONT CreateSystemFont(int dpi, bool caption) {
  static const auto parameters =
      User32<ParametersForDpiCall>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  LOGFONTW& font = caption ? metrics.lfCaptionFont : metrics.lfMessageFont;
  if (parameters == nullptr ||
      !parameters(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0,
                  static_cast<UINT>(dpi))) {
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics,
                          0);
    font.lfHeight = MulDiv(font.lfHeight, dpi, SystemDpi());
  }
  return CreateFontIndirectW(&font);
}

void UseCommonControls() {
  const INITCOMMONCONTROLSEX controls = {
      sizeof(controls), ICC_STANDARD_CLASSES | ICC_BAR_CLASSES |
                            ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
}

HWND CreateControl(HWND parent, const wchar_t* kind, const wchar_t* text,
                   DWORD style, int id) {
  return CreateWindowExW(0, kind, text, WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                         0, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

void PlaceControl(HWND control, const Place& twips, int dpi) {
  PlaceControlAt(control, PlaceInPixels(twips, dpi));
}

void PlaceControlAt(HWND control, const Place& pixels) {
  SetWindowPos(control, nullptr, pixels.left, pixels.top, pixels.width,
               pixels.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

TextMeasure::TextMeasure(HWND control, HFONT font)
    : control_(control),
      dc_(GetDC(control)),
      old_font_(SelectObject(dc_, font)) {}

TextMeasure::~TextMeasure() {
  SelectObject(dc_, old_font_);
  ReleaseDC(control_, dc_);
}

int TextMeasure::Width(std::string_view text) const {
  const std::wstring wide = Widen(std::string(text));
  SIZE size = {};
  GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()),
                        &size);
  return static_cast<int>(size.cx);
}

int TextMeasure::LineHeight() const {
  TEXTMETRICW metrics;
  GetTextMetricsW(dc_, &metrics);
  return static_cast<int>(metrics.tmHeight);
}

int TextMeasure::WrappedHeight(std::string_view text, int width) const {
  const std::wstring wide = Widen(std::string(text));
  RECT area = {0, 0, width, 0};
  DrawTextW(dc_, wide.c_str(), static_cast<int>(wide.size()), &area,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  return static_cast<int>(area.bottom);
}

}  // namespace mirlot
