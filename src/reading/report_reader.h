// Reads report.txt back and tells whether it describes a given image.
#ifndef MIRLOT_READING_REPORT_READER_H_
#define MIRLOT_READING_REPORT_READER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/report_text.h"
#include "reading/image_reader.h"
#include "reading/output_pair.h"
#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// Reads the report's heading; the entry lines follow.
// On success returns nullopt when the heading is right, else what is wrong.
// On failure returns the read failure.
Result<std::optional<std::string>> ReadReportHeading(ReportLineReader& lines);

// How a report relates to an image.
struct ReportMatch {
  enum class State {
    kMissing,     // no report beside the image
    kUnreadable,  // it exists but cannot be read
    kMismatch,    // it describes another table
    kMatches,     // one line per entry, same numbers, offsets and lengths
  };
  State state = State::kMissing;
  std::string path;
  std::string detail;  // why it does not match or cannot be read

  bool matches() const { return state == State::kMatches; }
};

// Compares the report of `pair` with the readable entries of `image`.
// When it matches and `names` is given, `names` receives the names in entry
// order. On success returns the comparison. On failure returns the failure
// to read the image's table.
Result<ReportMatch> MatchReport(OutputPair& pair, ImageReader& image,
                                std::vector<std::string>* names = nullptr);

}  // namespace mirlot

#endif  // MIRLOT_READING_REPORT_READER_H_
