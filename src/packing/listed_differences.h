// The differences a verification shows: the first few in full, the rest
// only counted, so that a list of a million changed members still fits on
// a screen and in memory.
#ifndef MIRLOT_PACKING_LISTED_DIFFERENCES_H_
#define MIRLOT_PACKING_LISTED_DIFFERENCES_H_

#include <cstdint>
#include <string>
#include <vector>

#include "packing/difference_sink.h"

namespace mirlot {

class ListedDifferences : public DifferenceSink {
 public:
  // Differences listed one by one; the rest are counted.
  static constexpr std::uint64_t kListed = 10;

  void OnDifference(const std::string& text) override;

  // The first kListed differences, in the order found.
  const std::vector<std::string>& listed() const { return listed_; }
  std::uint64_t count() const { return count_; }
  // "and 1,234 more differences" when some were not listed, else "".
  std::string MoreLine() const;

 private:
  std::vector<std::string> listed_;
  std::uint64_t count_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_LISTED_DIFFERENCES_H_
