// Places the items of a report line in print zones.
#include "format/print_zone.h"

#include "runtime/text.h"

namespace mirlot {

void PrintZoneLine::Add(std::string_view item) {
  if (!empty_) {
    // First zone start (1 + k * width) strictly after next_column_.
    const std::size_t start =
        ((next_column_ - 1) / kZoneWidth + 1) * kZoneWidth + 1;
    text_.append(start - next_column_, ' ');
    next_column_ = start;
  }
  text_.append(item);
  next_column_ += DisplayColumns(item);
  empty_ = false;
}

}  // namespace mirlot
