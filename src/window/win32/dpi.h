// Controls, sizes and fonts at the monitor's DPI. The per-monitor calls of
// Windows 10 are looked up at run time, so that the program still starts where
// they are missing; there the system's DPI is used.
#ifndef MIRLOT_WINDOW_WIN32_DPI_H_
#define MIRLOT_WINDOW_WIN32_DPI_H_

#include <windows.h>

#include <string_view>

#include "window/layout.h"

// Sent from Windows 8.1 on when the window moves to a monitor of another
// DPI. The headers declare it only to programs that need 8.1, and these
// start on Vista, where it never comes.
#ifndef WM_DPICHANGED
#define WM_DPICHANGED 0x02E0
#endif

namespace mirlot {

// The DPI `window` is shown at.
int WindowDpi(HWND window);
// The outer size at `dpi` of a top-level window of `style` whose client
// area is `client` pixels.
SIZE OuterSize(SIZE client, DWORD style, int dpi);
// The system's message font, or with `caption` its font of window titles,
// at `dpi`. The caller owns the font.
HFONT CreateSystemFont(int dpi, bool caption);
// Registers the classes of the common controls the windows hold: buttons,
// texts, tooltips, the progress bar and the list view. Call before any is
// created; calls after the first change nothing.
void UseCommonControls();
// A visible child control of `kind` (a window class) with `text`, `style`
// and the identifier `id`, still without a place.
HWND CreateControl(HWND parent, const wchar_t* kind, const wchar_t* text,
                   DWORD style, int id);
// Places `control` at `twips`, in pixels at `dpi`.
void PlaceControl(HWND control, const Place& twips, int dpi);
// Places `control` at `pixels`.
void PlaceControlAt(HWND control, const Place& pixels);

// Measures text in a font as a control draws it, while it lives.
class TextMeasure {
 public:
  // Measures in `font` on `control`'s device context.
  TextMeasure(HWND control, HFONT font);
  ~TextMeasure();
  TextMeasure(const TextMeasure&) = delete;
  TextMeasure& operator=(const TextMeasure&) = delete;

  // The width of `text` (UTF-8) in pixels.
  int Width(std::string_view text) const;
  // How far apart the lines are, in pixels.
  int LineHeight() const;
  // The height in pixels of `text` (UTF-8) wrapped at word breaks to
  // `width` pixels, as a static control draws it.
  int WrappedHeight(std::string_view text, int width) const;

 private:
  HWND control_;
  HDC dc_;
  HGDIOBJ old_font_;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_DPI_H_
