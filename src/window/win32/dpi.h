// Sizes at the monitor's DPI. The per-monitor calls of Windows 10 are
// looked up at run time, so that the program still starts where they are
// missing; there the system's DPI is used.
#ifndef MIRLOT_WINDOW_WIN32_DPI_H_
#define MIRLOT_WINDOW_WIN32_DPI_H_

#include <windows.h>

// Sent from Windows 8.1 on when the window moves to a monitor of another
// DPI. The headers declare it only to programs that need 8.1, and these
// start on Vista, where it never comes.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace mirlot {

inline constexpr UINT kBaseDpi = 96;
inline constexpr int kTwipsPerInch = 1440;

// The DPI `window` is shown at.
UINT WindowDpi(HWND window);
// `pixels` at 96 DPI, scaled to `dpi`.
int Scale(int pixels, UINT dpi);
// `twips` in pixels at `dpi`.
int TwipsToPixels(int twips, UINT dpi);
// The outer size at `dpi` of a top-level window of `style` whose client
// area is `client` pixels.
SIZE OuterSize(SIZE client, DWORD style, UINT dpi);
// The system's message font at `dpi`. The caller owns the font.
HFONT CreateMessageFont(UINT dpi);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_DPI_H_
