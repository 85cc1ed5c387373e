// Writing, reading and parsing the lines of report.txt.
#include "format/report_text.h"

#include <algorithm>
#include <utility>

#include "format/print_zone.h"
#include "runtime/number_text.h"
#include "runtime/text.h"

namespace mirlot {

namespace {

constexpr std::string_view kHeading =
    "#,            Name,          Offset,       Size";
constexpr std::size_t kBlockSize = 64 * 1024;
// Digits enough for any entry number, offset or length.
constexpr std::size_t kMaximumDigits = 12;

// A whole field of decimal digits, optionally led by "-".
std::optional<std::int64_t> ParseInteger(std::string_view text) {
  const bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  if (text.empty() || text.size() > kMaximumDigits) return std::nullopt;
  std::int64_t value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

// Removes the last blank-separated field from `text` and returns it.
std::string_view TakeLastField(std::string_view& text) {
  const std::size_t last = text.find_last_not_of(' ');
  if (last == std::string_view::npos) return {};
  text = text.substr(0, last + 1);
  const std::size_t space = text.find_last_of(' ');
  if (space == std::string_view::npos) return {};
  std::string_view field = text.substr(space + 1);
  text = text.substr(0, space);
  return field;
}

// A block as large as the report, up to kBlockSize.
std::size_t BlockSizeFor(ReadableFile& file) {
  Result<std::uint64_t> size = file.Size();
  return size.ok() ? static_cast<std::size_t>(
                         std::clamp<std::uint64_t>(*size, 1, kBlockSize))
                   : kBlockSize;
}

}  // namespace

std::string ReportHeading() { return std::string(kHeading) + "\r\n"; }

bool IsReportHeading(std::string_view line) { return line == kHeading; }

std::string ReportLine(std::size_t index, std::string_view name,
                       const TableEntry& place) {
  PrintZoneLine line;
  line.Add(StrNumber(static_cast<std::int64_t>(index) + 1));
  line.Add(name);
  line.Add(StrNumber(place.offset));
  line.Add(StrNumber(place.length));
  return line.Finish();
}

std::optional<ReportEntry> ParseReportLine(std::string_view line) {
  const std::size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  line.remove_prefix(first);
  const std::size_t number_end = line.find(' ');
  if (number_end == std::string_view::npos) return std::nullopt;
  const std::optional<std::int64_t> number =
      ParseInteger(line.substr(0, number_end));
  line.remove_prefix(number_end);
  const std::optional<std::int64_t> length = ParseInteger(TakeLastField(line));
  const std::optional<std::int64_t> offset = ParseInteger(TakeLastField(line));
  if (!number || !offset || !length) return std::nullopt;
  return ReportEntry{*number, TrimSpaces(line), {*offset, *length}};
}

ReportLineReader::ReportLineReader(ReadableFile& file, std::uint64_t start)
    : input_(file, BlockSizeFor(file), start) {}

Result<std::optional<ReportTextLine>> ReportLineReader::NextLine(
    std::size_t longest) {
  ReportTextLine line;
  std::uint64_t length = 0;  // before the LF, a CR included
  char last = '\0';
  bool newline = false;
  while (!newline) {
    Result<std::string_view> ahead = input_.Peek();
    if (!ahead.ok()) return ahead.status();
    if (ahead->empty()) break;
    const std::size_t stop = ahead->find('\n');
    newline = stop != std::string_view::npos;
    const std::size_t take = std::min(stop, ahead->size());
    // One byte more than `longest`, for a CR that may end the line.
    const std::size_t kept = longest + 1;
    const std::size_t room = kept - std::min(line.text.size(), kept);
    line.text.append(ahead->substr(0, std::min(take, room)));
    if (take > 0) last = (*ahead)[take - 1];
    length += take;
    input_.Consume(take + (newline ? 1 : 0));
  }
  if (length == 0 && !newline) return std::optional<ReportTextLine>();
  ++line_number_;
  const bool cr = length > 0 && last == '\r';
  line.cut = length - (cr ? 1 : 0) > longest;
  if (line.cut) {
    line.text.resize(longest);
  } else if (cr) {
    line.text.pop_back();
  }
  line.end = newline ? (cr ? "\r\n" : "\n") : (cr ? "\r" : "");
  return std::optional<ReportTextLine>(std::move(line));
}

Result<std::optional<std::string>> ReportLineReader::Next() {
  Result<std::optional<ReportTextLine>> line = NextLine(kMaximumLineLength);
  if (!line.ok()) return line.status();
  if (!*line) return std::optional<std::string>();
  if ((*line)->cut) {
    return Status(static_cast<int>(FailureCode::kPathFileAccessError),
                  "line " + std::to_string(line_number_) + " is longer than " +
                      std::to_string(kMaximumLineLength) + " bytes");
  }
  return std::optional<std::string>(std::move((*line)->text));
}

}  // namespace mirlot
