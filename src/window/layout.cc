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

ProgressLayout LayOutProgress(std::string_view text, const TextWidth& width_of,
                              int line_height, int dpi) {
  ProgressLayout layout = {{},
                           PlaceInPixels(kProgressClient, dpi),
                           PlaceInPixels(kProgressTextPlace, dpi),
                           PlaceInPixels(kProgressBarPlace, dpi),
                           PlaceInPixels(kCancelButtonPlace, dpi)};
  layout.lines = WrapText(text, width_of, layout.text.width);
  const long long needed =
      static_cast<long long>(line_height) * layout.lines.size();
  const long long most = TwipsToPixels(kProgressTextMostTwips, dpi);
  const int grow =
      static_cast<int>(std::clamp<long long>(needed, layout.text.height, most) -
                       layout.text.height);
  layout.client.height += grow;
  layout.text.height += grow;
  layout.bar.top += grow;
  layout.cancel.top += grow;
  return layout;
}

int MessageWidth(int title_width, int text_width, int dpi) {
  return std::max(title_width + TwipsToPixels(kTitleBarFrameTwips, dpi),
                  std::min(text_width, TwipsToPixels(kLongestTextTwips, dpi)) +
                      2 * TwipsToPixels(kTextMarginTwips, dpi));
}

}  // namespace mirlot
