#include "window/image_work.h"

#include <utility>

#include "packing/output_verification.h"
#include "reading/output_pair.h"

namespace mirlot {

namespace {

// Tells a run's observer how far an extraction has come, and passes its
// cancel request and folder wait through.
class ExtractProgress : public ExtractObserver {
 public:
  ExtractProgress(RunObserver& observer, ExtractReport& report,
                  std::uint64_t bytes_total)
      : observer_(observer), report_(report) {
    progress_.files_total = report.total;
    progress_.bytes_total = bytes_total;
    observer_.OnProgress(progress_);
  }

  void OnWritten(std::uint64_t, const std::string&,
                 std::uint64_t length) override {
    ++report_.summary.written;
    ++progress_.files_done;
    progress_.bytes_done += length;
    observer_.OnProgress(progress_);
  }
  void OnSkipped(std::uint64_t, const TableEntry&) override {
    ++progress_.files_done;
    observer_.OnProgress(progress_);
  }
  void OnWaitingForFolder(const std::string& folder, bool waiting) override {
    observer_.OnWaitingForFolder(folder, waiting);
  }
  bool CancelRequested() override { return observer_.CancelRequested(); }

 private:
  RunObserver& observer_;
  ExtractReport& report_;
  CopyProgress progress_;
};

}  // namespace

Status OpenImage(FileSystem& file_system, const std::string& image_path,
                 RunObserver& observer,
                 std::unique_ptr<ImageCatalog>& catalog) {
  Result<std::unique_ptr<ImageCatalog>> opened =
      ImageCatalog::Open(file_system, image_path, observer);
  if (!opened.ok()) return opened.status();
  catalog = std::move(*opened);
  return Status::Ok();
}

Status ExtractImage(FileSystem& file_system, const std::string& image_path,
                    const std::string& folder, ExtractChoices choices,
                    RunObserver& observer, ExtractReport& report) {
  report = {};
  Result<ImageExtraction> extraction =
      ImageExtraction::Open(file_system, image_path, observer);
  if (!extraction.ok()) return extraction.status();
  report.total = extraction->entry_count();
  ExtractProgress progress(observer, report, extraction->payload_bytes());
  Result<ExtractSummary> summary =
      extraction->WriteTo(folder, choices, progress);
  if (!summary.ok()) return summary.status();
  report.summary = *summary;
  return Status::Ok();
}

Status VerifyImage(FileSystem& file_system, const std::string& image_path,
                   const std::string& list_path, RunObserver& observer,
                   ListedDifferences& differences) {
  Result<OutputPair> pair =
      OpenImageAndReport(file_system, image_path, observer);
  if (!pair.ok()) return pair.status().About(image_path);
  if (!pair->report.ok()) return pair->report.status().About(pair->report_path);
  Result<std::uint64_t> count =
      VerifyOutputs(file_system, list_path, {*pair->image, **pair->report},
                    differences, observer);
  return count.status();
}

}  // namespace mirlot
