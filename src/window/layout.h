// Where the windows' controls sit, the same for every toolkit: places in
// twips (1440 to the inch), turned into pixels at the DPI the window is
// shown at (96 for toolkits that scale device-independent pixels
// themselves).
#ifndef MIRLOT_WINDOW_LAYOUT_H_
#define MIRLOT_WINDOW_LAYOUT_H_

#include <string>
#include <string_view>
#include <vector>

#include "window/path_fit.h"

namespace mirlot {

inline constexpr int kTwipsPerInch = 1440;
// The DPI at which one pixel is one device-independent pixel.
inline constexpr int kBaseDpi = 96;

// A rectangle: in twips in the tables below, in pixels once converted.
struct Place {
  int left, top, width, height;
  friend bool operator==(const Place&, const Place&) = default;
};

// The main window's client area and its controls.
inline constexpr Place kForm1Client = {0, 0, 6090, 1875};
inline constexpr Place kPathLabelPlace = {120, 240, 4695, 855};
inline constexpr Place kPathButtonPlace = {4920, 240, 975, 855};
inline constexpr Place kStartButtonPlace = {2400, 1320, 1095, 375};

// The progress window: two lines of text, the bar, and Cancel. A longer
// text makes its place taller, up to kProgressTextMostTwips.
inline constexpr Place kProgressClient = {0, 0, 6300, 1890};
inline constexpr Place kProgressTextPlace = {180, 180, 5940, 600};
inline constexpr int kProgressTextMostTwips = 7200;
inline constexpr Place kProgressBarPlace = {180, 900, 5940, 270};
inline constexpr Place kCancelButtonPlace = {4920, 1350, 1200, 360};

// `twips` (not negative) in pixels at `dpi`, rounded to the nearest.
int TwipsToPixels(int twips, int dpi);
// `place` in pixels at `dpi`.
Place PlaceInPixels(const Place& place, int dpi);

// The progress window in pixels at `dpi` for a text: its lines, and where
// the window's client area and controls are.
struct ProgressLayout {
  std::vector<std::string> lines;
  Place client, text, bar, cancel;
  friend bool operator==(const ProgressLayout&,
                         const ProgressLayout&) = default;
};
// The layout of `text` whose lines are `line_height` pixels apart and as
// wide as `width_of` says: wrapped as WrapText does to the text's place.
// When its lines take more than that place's height, the place grows down
// to hold them (to kProgressTextMostTwips at most, where the text is cut),
// and the bar, Cancel and the window's bottom move down as much.
ProgressLayout LayOutProgress(std::string_view text, const TextWidth& width_of,
                              int line_height, int dpi);

// The width in pixels at `dpi` of a message box whose title is
// `title_width` pixels wide and whose widest line of text is `text_width`:
// the title bar shows the whole title beside its icon and close button, and
// the text has a margin on either side; text wider than five inches wraps.
int MessageWidth(int title_width, int text_width, int dpi);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_LAYOUT_H_
