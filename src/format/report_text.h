// The lines of report.txt: a heading, then one line per entry with its
// number, its name, its payload's offset and its payload's length, placed
// in print zones of 14 columns. Lines end with CR LF; LF alone is read too.
//
// Names may hold spaces and digits, and the width of the gaps depends on how
// a name is displayed, so a line is parsed from both ends: the first
// blank-separated field is the number, the last two are the offset and the
// length, and what lies between them, without its surrounding spaces, is the
// name.
#ifndef MIRLOT_FORMAT_REPORT_TEXT_H_
#define MIRLOT_FORMAT_REPORT_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "format/image_table.h"

namespace mirlot {

struct ReportEntry {
  std::int64_t number = 0;  // 1-based
  std::string name;
  TableEntry place;
  friend bool operator==(const ReportEntry&, const ReportEntry&) = default;
};

// The heading line with its CR LF.
std::string ReportHeading();

// True when `line`, given without its line end, is the heading.
bool IsReportHeading(std::string_view line);

// The line of the 0-based entry `index` with its CR LF.
std::string ReportLine(std::size_t index, std::string_view name,
                       const TableEntry& place);

// The fields of one entry line, given without its line end; nullopt when
// the line does not have the shape of an entry line.
std::optional<ReportEntry> ParseReportLine(std::string_view line);

}  // namespace mirlot

#endif  // MIRLOT_FORMAT_REPORT_TEXT_H_
