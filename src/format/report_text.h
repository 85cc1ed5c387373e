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
#include "runtime/buffered_reader.h"
#include "runtime/file_system.h"
#include "runtime/result.h"

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

// One line of a report as it was read.
struct ReportTextLine {
  std::string text;      // without its line end
  std::string_view end;  // "\r\n", "\n", or at the end of the file "\r" or ""
  bool cut = false;      // longer than asked for: `text` holds its start
};

// Reads a report line by line, a block at a time. Lines end with LF, CR LF
// being taken as well.
class ReportLineReader {
 public:
  // Next() refuses longer lines. The longest name a list can give a member
  // is a Windows path of 32,767 UTF-16 units, at most 96 KiB of UTF-8;
  // its line adds some 60 bytes of fields.
  static constexpr std::size_t kMaximumLineLength = 128 * 1024;

  // Reads `file`, which must outlive the reader, from byte `start` on: its
  // start, or where an earlier reader's offset() said a line begins.
  explicit ReportLineReader(ReadableFile& file, std::uint64_t start = 0);

  // Reads the next line to its end, keeping at most `longest` bytes of its
  // text (a longer line is marked cut), so that memory stays bounded.
  // On success returns the line, or nullopt at the end of the file. On
  // failure returns the read failure.
  Result<std::optional<ReportTextLine>> NextLine(std::size_t longest);

  // On success returns the next line without its line end, or nullopt at
  // the end of the file. On failure returns the read failure, or 75
  // "Path/File access error" for a line longer than kMaximumLineLength.
  Result<std::optional<std::string>> Next();

  // The file offset where the next line begins.
  std::uint64_t offset() const { return input_.offset(); }

  // The 1-based number of the line read last.
  std::uint64_t line_number() const { return line_number_; }

 private:
  BufferedReader input_;
  std::uint64_t line_number_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_FORMAT_REPORT_TEXT_H_
