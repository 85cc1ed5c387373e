// Reads report.txt back line by line and matches it against an image's table.
#include "reading/report_reader.h"

#include <utility>

namespace mirlot {

Result<std::optional<std::string>> ReadReportHeading(ReportLineReader& lines) {
  Result<std::optional<std::string>> line = lines.Next();
  if (!line.ok()) return line.status();
  if (!*line) return std::optional<std::string>("it is empty");
  if (!IsReportHeading(**line)) {
    return std::optional<std::string>("its first line is not the heading");
  }
  return std::optional<std::string>();
}

namespace {

std::string Describe(const TableEntry& place) {
  return "offset " + std::to_string(place.offset) + ", length " +
         std::to_string(place.length);
}

// Walks the report and the table side by side, recording in `match` how
// they relate.
class ReportWalk {
 public:
  ReportWalk(ReadableFile& report, ImageReader& image,
             std::vector<std::string>* names, ReportMatch& match)
      : lines_(report), cursor_(image), names_(names), match_(match) {}

  // On success `match` says whether they match. On failure returns the
  // failure to read the image; a report that cannot be read is recorded in
  // `match` instead, as it only costs the names.
  Status Run() {
    Result<std::optional<std::string>> heading = ReadReportHeading(lines_);
    if (!heading.ok()) return Unreadable(heading.status());
    if (*heading) return Differs(**heading);
    while (!cursor_.AtEnd()) {
      bool same = false;
      if (Status s = CompareNextEntry(same); !s.ok() || !same) return s;
    }
    Result<std::optional<std::string>> extra = lines_.Next();
    if (!extra.ok()) return Unreadable(extra.status());
    if (*extra) {
      return Differs("it lists more entries than the table's " +
                     std::to_string(cursor_.next_index()));
    }
    match_.state = ReportMatch::State::kMatches;
    return Status::Ok();
  }

 private:
  Status Differs(std::string detail) {
    match_.state = ReportMatch::State::kMismatch;
    match_.detail = std::move(detail);
    return Status::Ok();
  }

  Status Unreadable(const Status& failure) {
    match_.state = ReportMatch::State::kUnreadable;
    match_.detail = failure.description();
    return Status::Ok();
  }

  // Compares the next table entry with the next line; `same` tells whether
  // the comparison goes on.
  Status CompareNextEntry(bool& same) {
    const std::uint64_t number = cursor_.next_index() + 1;
    Result<TableEntry> entry = cursor_.Next();
    if (!entry.ok()) return entry.status();
    Result<std::optional<std::string>> line = lines_.Next();
    if (!line.ok()) return Unreadable(line.status());
    if (!*line)
      return Differs("it ends before entry " + std::to_string(number));
    std::optional<ReportEntry> parsed = ParseReportLine(**line);
    const std::string where = "line " + std::to_string(lines_.line_number());
    if (!parsed) return Differs(where + " is not an entry line");
    if (parsed->number < 0 ||
        static_cast<std::uint64_t>(parsed->number) != number) {
      return Differs(where + " has entry number " +
                     std::to_string(parsed->number) + " instead of " +
                     std::to_string(number));
    }
    if (parsed->place != *entry) {
      return Differs(where + " gives " + Describe(parsed->place) +
                     ", the table " + Describe(*entry));
    }
    if (names_ != nullptr) names_->push_back(std::move(parsed->name));
    same = true;
    return Status::Ok();
  }

  ReportLineReader lines_;
  TableCursor cursor_;
  std::vector<std::string>* names_;
  ReportMatch& match_;
};

}  // namespace

Result<ReportMatch> MatchReport(OutputPair& pair, ImageReader& image,
                                std::vector<std::string>* names) {
  ReportMatch match;
  match.path = pair.report_path;
  if (names != nullptr) names->clear();
  const Result<std::unique_ptr<ReadableFile>>& report = pair.report;
  if (!report.ok()) {
    if (!report.status().Is(FailureCode::kFileNotFound)) {
      match.state = ReportMatch::State::kUnreadable;
      match.detail = report.status().description();
    }
    return match;
  }
  ReportWalk walk(**report, image, names, match);
  if (Status s = walk.Run(); !s.ok()) return s;
  if (!match.matches() && names != nullptr) *names = {};
  return match;
}

}  // namespace mirlot
