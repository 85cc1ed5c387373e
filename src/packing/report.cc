// The heading and entry lines of report.txt, placed in print zones.
#include "packing/report.h"

#include "runtime/number_text.h"
#include "runtime/print_zone.h"

namespace mirlot {

std::string ReportHeading() {
  return "#,            Name,          Offset,       Size\r\n";
}

std::string ReportLine(std::size_t index, const std::string& name,
                       const PayloadPlace& place) {
  PrintZoneLine line;
  line.Add(StrNumber(static_cast<std::int64_t>(index) + 1));
  line.Add(name);
  line.Add(StrNumber(place.offset));
  line.Add(StrNumber(place.length));
  return line.Finish();
}

}  // namespace mirlot
