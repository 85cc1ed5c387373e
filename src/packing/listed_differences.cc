#include "packing/listed_differences.h"

#include "runtime/number_text.h"

namespace mirlot {

void ListedDifferences::OnDifference(const std::string& text) {
  if (++count_ <= kListed) listed_.push_back(text);
}

std::string ListedDifferences::MoreLine() const {
  if (count_ <= kListed) return "";
  return "and " + GroupedNumber(count_ - kListed) + " more differences";
}

}  // namespace mirlot
