// The text of report.txt: a heading and one line per entry with its number,
// name, payload offset and payload length, placed in print zones.
#ifndef MIRLOT_PACKING_REPORT_H_
#define MIRLOT_PACKING_REPORT_H_

#include <cstdint>
#include <string>

#include "packing/container_layout.h"
#include "packing/entry_table.h"

namespace mirlot {

// The heading line with its CR LF.
std::string ReportHeading();

// The line for the 0-based entry `index` with its CR LF.
std::string ReportLine(std::size_t index, const std::string& name,
                       const PayloadPlace& place);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_REPORT_H_
