#include "window/win32/dpi.h"

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

UINT SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi > 0 ? static_cast<UINT>(dpi) : kBaseDpi;
}

}  // namespace

UINT WindowDpi(HWND window) {
  static const auto get_dpi = User32<GetDpiForWindowCall>("GetDpiForWindow");
  const UINT dpi = get_dpi != nullptr ? get_dpi(window) : 0;
  return dpi != 0 ? dpi : SystemDpi();
}

int Scale(int pixels, UINT dpi) {
  return MulDiv(pixels, static_cast<int>(dpi), kBaseDpi);
}

int TwipsToPixels(int twips, UINT dpi) {
  return MulDiv(twips, static_cast<int>(dpi), kTwipsPerInch);
}

SIZE OuterSize(SIZE client, DWORD style, UINT dpi) {
  static const auto adjust =
      User32<AdjustForDpiCall>("AdjustWindowRectExForDpi");
  RECT rect = {0, 0, client.cx, client.cy};
  if (adjust != nullptr) {
    adjust(&rect, style, FALSE, 0, dpi);
  } else {
    AdjustWindowRectEx(&rect, style, FALSE, 0);
  }
  return {rect.right - rect.left, rect.bottom - rect.top};
}

HFONT CreateMessageFont(UINT dpi) {
  static const auto parameters =
      User32<ParametersForDpiCall>("SystemParametersInfoForDpi");
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  if (parameters == nullptr ||
      !parameters(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0, dpi)) {
    SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics,
                          0);
    metrics.lfMessageFont.lfHeight = MulDiv(metrics.lfMessageFont.lfHeight,
                                            static_cast<int>(dpi), SystemDpi());
  }
  return CreateFontIndirectW(&metrics.lfMessageFont);
}

}  // namespace mirlot
