#include "window/layout.h"

namespace mirlot {

int TwipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  return static_cast<int>((scaled + kTwipsPerInch / 2) / kTwipsPerInch);
}

Place PlaceInPixels(const Place& place, int dpi) {
  return {TwipsToPixels(place.left, dpi), TwipsToPixels(place.top, dpi),
          TwipsToPixels(place.width, dpi), TwipsToPixels(place.height, dpi)};
}

}  // namespace mirlot
