#include "window/layout.h"

#include <algorithm>

namespace mirlot {

namespace {

// A title bar's icon, close button and margins take about an inch; the
// text of a message has a sixth of an inch on either side, and lines longer
// than five inches wrap.
constexpr int kTitleBarFrameTwips = 1440;
constexpr int kTextMarginTwips = 240;
constexpr int kLongestTextTwips = 7200;

}  // namespace

int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>((scaled + kTwipsPerInch / 2) / kTwipsPerInch);
}

Place PlaceInPixels(const Place& place, int dpi) {
  return {TwipsToPixels(place.left, dpi), TwipsToPixels(place.top, dpi),
          TwipsToPixels(place.width, dpi), TwipsToPixels(place.height, dpi)};
}

int MessageWidth(int title_width, int text_width, int dpi) {
  return std::max(title_width + TwipsToPixels(kTitleBarFrameTwips, dpi),
                  std::min(text_width, TwipsToPixels(kLongestTextTwips, dpi)) +
                      2 * TwipsToPixels(kTextMarginTwips, dpi));
}

}  // namespace mirlot
