// Where verify tells each way an earlier run's outputs differ from what
// packing the list now would write.
#ifndef MIRLOT_PACKING_DIFFERENCE_SINK_H_
#define MIRLOT_PACKING_DIFFERENCE_SINK_H_

#include <string>

namespace mirlot {

// Learns of each difference as it is found: the count of entries first,
// then the entries in list order, then the report's lines.
class DifferenceSink {
 public:
  virtual ~DifferenceSink() = default;

  // `text` says what differs and where, e.g. "list line 5, field 1:
  // payload differs at byte 1,024 of b.dat". Cannot fail.
  virtual void OnDifference(const std::string& text) = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_DIFFERENCE_SINK_H_
