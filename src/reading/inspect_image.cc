// Gathers what inspect shows of an image: its entries, the soundness verdict
// and the names its report gives.
#include "reading/inspect_image.h"

#include <memory>
#include <optional>

#include "runtime/out_of_memory.h"

namespace mirlot {

namespace {

// Yields the names of a matching report, one per entry.
class ReportNames {
 public:
  // Reads `report` again when `match` says it matches; otherwise every name
  // is empty.
  ReportNames(ReadableFile* report, const ReportMatch& match) {
    if (!match.matches() || report == nullptr) return;
    lines_.emplace(*report);
    Result<std::optional<std::string>> heading = ReadReportHeading(*lines_);
    if (!heading.ok() || *heading) lines_.reset();
  }

  // The name of the next entry; empty when unknown.
  std::string Next() {
    if (!lines_) return {};
    Result<std::optional<std::string>> line = lines_->Next();
    if (!line.ok() || !*line) {
      lines_.reset();
      return {};
    }
    std::optional<ReportEntry> entry = ParseReportLine(**line);
    return entry ? std::move(entry->name) : std::string();
  }

 private:
  std::optional<ReportLineReader> lines_;
};

Result<bool> Inspect(OutputPair& pair, InspectionVisitor& visitor) {
  if (!pair.warning.empty()) visitor.OnWarning(pair.warning);
  Result<ImageReader> image = ImageReader::Open(*pair.image);
  if (!image.ok()) return image.status();
  SoundnessCheck check(*image);
  // Such a file's "entries" are whatever its bytes say: none is shown.
  if (!check.not_an_image().empty()) {
    visitor.OnNotAnImage(*image, check.not_an_image());
    return false;
  }
  Result<ReportMatch> report = MatchReport(pair, *image);
  if (!report.ok()) return report.status();
  visitor.OnStart(*image, *report);

  ReportNames names(pair.report.ok() ? pair.report->get() : nullptr, *report);
  TableCursor cursor(*image);
  while (!cursor.AtEnd()) {
    const std::uint64_t index = cursor.next_index();
    Result<TableEntry> entry = cursor.Next();
    if (!entry.ok()) return entry.status();
    check.Add(index, *entry);
    visitor.OnEntry(index + 1, *entry, names.Next());
  }
  check.Finish();
  visitor.OnEnd(check);
  return check.sound();
}

}  // namespace

Result<bool> InspectPair(OutputPair& pair, InspectionVisitor& visitor) {
  return OutOfMemoryAsFailure([&] { return Inspect(pair, visitor); });
}

Result<bool> InspectImage(FileSystem& file_system,
                          const std::string& image_path,
                          InspectionVisitor& visitor) {
  Result<OutputPair> pair = OpenImageAndReport(file_system, image_path);
  if (!pair.ok()) return pair.status();
  return InspectPair(*pair, visitor);
}

}  // namespace mirlot
