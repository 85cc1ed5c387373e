#include "reading/image_catalog.h"

#include <utility>

#include "format/report_text.h"
#include "reading/image_words.h"
#include "reading/inspect_image.h"
#include "runtime/out_of_memory.h"

namespace mirlot {

// Keeps what an inspection of the image says, leaving its entries to Row().
class ImageCatalog::Recorder : public InspectionVisitor {
 public:
  explicit Recorder(ImageCatalog& catalog) : catalog_(catalog) {}

  void OnWarning(const std::string&) override {}

  void OnNotAnImage(const ImageReader&, const std::string& reason) override {
    catalog_.not_an_image_ = reason;
    catalog_.verdict_ = "not a Mirlot image";
  }

  void OnStart(const ImageReader& image, const ReportMatch& report) override {
    catalog_.size_words_ =
        ImageSizeWords(image.file_size(), image.readable_count());
    catalog_.names_note_ = NamesNote(report);
    catalog_.names_ = report.matches();
    catalog_.row_count_ = image.readable_count();
  }

  void OnEntry(std::uint64_t, const TableEntry&, std::string_view) override {}

  void OnEnd(const SoundnessCheck& verdict) override {
    catalog_.verdict_ = VerdictLine(verdict);
    catalog_.problems_ = ProblemLines(verdict);
    catalog_.sound_ = verdict.sound();
  }

 private:
  ImageCatalog& catalog_;
};

ImageCatalog::ImageCatalog(std::string image_path, OutputPair pair)
    : image_path_(std::move(image_path)), pair_(std::move(pair)) {}

Result<std::unique_ptr<ImageCatalog>> ImageCatalog::Open(
    FileSystem& file_system, const std::string& image_path,
    FolderWaitObserver& observer) {
  Result<OutputPair> pair =
      OpenImageAndReport(file_system, image_path, observer);
  if (!pair.ok()) return pair.status();
  std::unique_ptr<ImageCatalog> catalog(
      new ImageCatalog(image_path, std::move(*pair)));
  Recorder recorder(*catalog);
  Result<bool> inspected = InspectPair(catalog->pair_, recorder);
  if (!inspected.ok()) return inspected.status();
  Status marked = OutOfMemoryAsFailure([&] {
    return catalog->names_ ? catalog->MarkReportLines() : Status::Ok();
  });
  if (!marked.ok()) return marked.About(catalog->pair_.report_path);
  return catalog;
}

// Reads past the heading and every entry line once, keeping none of their
// text, and notes where every kLinesPerMark-th entry line begins.
Status ImageCatalog::MarkReportLines() {
  ReportLineReader lines(**pair_.report);
  for (std::uint64_t line = 0; line <= row_count_; ++line) {
    if (line > 0 && (line - 1) % kLinesPerMark == 0) {
      marks_.push_back(lines.offset());
    }
    Result<std::optional<ReportTextLine>> read = lines.NextLine(0);
    if (!read.ok()) return read.status();
  }
  return Status::Ok();
}

Result<CatalogRow> ImageCatalog::Row(std::uint64_t index) {
  if (index >= row_count_) return Status(FailureCode::kSubscriptOutOfRange);
  char bytes[kTableEntrySize];
  const std::uint64_t at = index * kTableEntrySize;
  Result<std::size_t> read = pair_.image->ReadAt(at, bytes, sizeof bytes);
  if (!read.ok()) return read.status();
  if (*read != sizeof bytes) {
    return Status(FailureCode::kInputPastEndOfFile);
  }
  return CatalogRow{index + 1, DecodeTableEntry(bytes),
                    names_ ? NameAt(index) : std::string()};
}

// The name in the report's line for entry `index`; "" when that line cannot
// be read or has changed shape since the image was opened.
std::string ImageCatalog::NameAt(std::uint64_t index) {
  ReportLineReader lines(**pair_.report, marks_[index / kLinesPerMark]);
  for (std::uint64_t skip = index % kLinesPerMark; skip > 0; --skip) {
    if (Result<std::optional<ReportTextLine>> passed = lines.NextLine(0);
        !passed.ok() || !*passed) {
      return "";
    }
  }
  Result<std::optional<std::string>> line = lines.Next();
  if (!line.ok() || !*line) return "";
  std::optional<ReportEntry> entry = ParseReportLine(**line);
  return entry ? std::move(entry->name) : std::string();
}

}  // namespace mirlot
