// Compares an earlier report.txt with the one a run would write for a list
// now, line by line.
#ifndef MIRLOT_PACKING_REPORT_COMPARISON_H_
#define MIRLOT_PACKING_REPORT_COMPARISON_H_

#include <string>

#include "packing/container_layout.h"
#include "packing/difference_sink.h"
#include "packing/entry_table.h"
#include "packing/list_names.h"
#include "runtime/file_system.h"

namespace mirlot {

// Compares `file`, the report named `path`, with the report a run would
// write for `table` placed by `layout`, its names taken from `names` (from
// the first), reading it once in blocks of up to 64 KiB: each run of differing
// lines is one difference, then a count of lines that differs.
// On success every difference went to `differences`. On failure returns
// the read failure, its description led by `path`, or the name's
// (ListNames::Next).
Status CompareReport(ReadableFile& file, const std::string& path,
                     const EntryTable& table, const ContainerLayout& layout,
                     ListNames& names, DifferenceSink& differences);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_REPORT_COMPARISON_H_
