// What the image window does, the same for every toolkit: it opens an
// image, lists its entries, and extracts or verifies it on the worker with
// progress and Cancel; the toolkit's window draws it and forwards the
// buttons here.
#ifndef MIRLOT_WINDOW_IMAGE_WINDOW_CORE_H_
#define MIRLOT_WINDOW_IMAGE_WINDOW_CORE_H_

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "reading/image_extractor.h"
#include "runtime/path.h"
#include "window/background_run.h"
#include "window/image_view.h"
#include "window/image_work.h"
#include "window/run_host.h"
#include "window/window_services.h"

namespace mirlot {

template <typename Parent>
class ImageWindowCore {
 public:
  explicit ImageWindowCore(ImageWindowServicesFor<Parent> services)
      : services_(services) {}

  bool open() const { return catalog_ != nullptr; }
  bool running() const { return running_; }
  // Only while open().
  const ImageCatalog& catalog() const { return *catalog_; }
  std::string Title() const { return ImageWindowTitle(catalog_->image_path()); }
  std::string Verdict() const { return VerdictText(*catalog_); }
  std::uint64_t row_count() const { return open() ? catalog_->row_count() : 0; }

  // The texts of the row with 0-based `index`; a row that cannot be read
  // shows its number alone. The row asked for last is kept, as a view asks
  // for each of its cells in turn; any other is read now.
  const std::array<std::string, 4>& Row(std::uint64_t index) {
    if (shown_row_ != index) {
      Result<CatalogRow> row = catalog_->Row(index);
      shown_ = row.ok() ? RowTexts(*row)
                        : std::array<std::string, 4>{std::to_string(index + 1),
                                                     "", "", ""};
      shown_row_ = index;
    }
    return shown_;
  }

  // Opens the image at `image_path` (a full path) through `host`; a
  // failure is told over `parent` and keeps the image open before, if any.
  // Returns whether the image is now open.
  bool Open(RunHost& host, Parent parent, const std::string& image_path) {
    std::unique_ptr<ImageCatalog> opened;
    const std::optional<Status> status =
        Work(host, parent, "Opening", [&](RunObserver& observer) {
          return OpenImage(services_.file_system, image_path, observer, opened);
        });
    if (status && !status->ok()) {
      Tell(parent, "cannot read " + image_path, *status);
    }
    if (opened == nullptr) return false;
    catalog_ = std::move(opened);
    shown_row_ = kNoRow;
    return true;
  }

  // Reload: opens the open image again, as after a new pack.
  bool Reload(RunHost& host, Parent parent) {
    return open() && Open(host, parent, catalog_->image_path());
  }

  // Extract…: asks for a folder, then extracts into it, asking before
  // files there are replaced and before an unsound image is salvaged, and
  // says what was extracted.
  void Extract(RunHost& host, Parent parent) {
    if (!open() || running_) return;
    const std::string& image = catalog_->image_path();
    const std::optional<std::string> folder =
        services_.folder_chooser.ChooseFolder(parent,
                                              DefaultExtractFolder(image));
    if (!folder) return;
    ExtractChoices choices;
    for (;;) {
      ExtractReport report;
      const std::optional<Status> status =
          Work(host, parent, "Extracting", [&](RunObserver& observer) {
            return ExtractImage(services_.file_system, image, *folder, choices,
                                observer, report);
          });
      if (!status) return;
      const bool cancelled = status->Is(FailureCode::kUserInterrupt);
      if (!status->ok() && !cancelled) {
        return Tell(parent, "cannot extract " + image, *status);
      }
      using Outcome = ExtractSummary::Outcome;
      if (!cancelled && report.summary.outcome == Outcome::kUnsound) {
        if (!services_.questioner.Ask(parent, SalvageQuestion(*catalog_))) {
          return;
        }
        choices.salvage = true;
      } else if (!cancelled && report.summary.outcome == Outcome::kExisting) {
        if (!services_.questioner.Ask(
                parent, ReplaceQuestion(report.summary, *folder))) {
          return;
        }
        choices.replace = true;
      } else {
        return services_.presenter.ShowMessage(
            parent,
            ExtractedText(report.summary, report.total, *folder, cancelled));
      }
    }
  }

  // Verify…: asks for the list in the image's folder, compares, and shows
  // what differs.
  void Verify(RunHost& host, Parent parent) {
    if (!open() || running_) return;
    const std::string& image = catalog_->image_path();
    const std::optional<std::string> list =
        services_.list_chooser.ChooseList(parent, ParentFolder(image));
    if (!list) return;
    ListedDifferences differences;
    const std::optional<Status> status =
        Work(host, parent, "Verifying", [&](RunObserver& observer) {
          return VerifyImage(services_.file_system, image, *list, observer,
                             differences);
        });
    if (!status || status->Is(FailureCode::kUserInterrupt)) return;
    if (!status->ok()) return Tell(parent, "cannot verify " + image, *status);
    services_.presenter.ShowMessage(
        parent, VerifiedText(*catalog_, *list, differences));
  }

 private:
  // Runs `body` on the worker through `host`, its progress shown as
  // `doing`. Returns its status, or nothing when it never ran (no thread
  // could start: the run said so) or another work is running.
  template <typename Body>
  std::optional<Status> Work(RunHost& host, Parent parent, const char* doing,
                             Body body) {
    if (running_) return std::nullopt;
    running_ = true;
    std::optional<Status> status;
    BackgroundRun run(host, services_.timing,
                      [this, parent](const WindowMessage& message) {
                        services_.presenter.ShowMessage(parent, message);
                      });
    (void)run.Run(
        [&](MessageSink&, RunObserver& observer) {
          status = body(observer);
          return status->ok() ? RunOutcome::kDone : RunOutcome::kFailed;
        },
        doing);
    running_ = false;
    return status;
  }

  void Tell(Parent parent, const std::string& doing, const Status& failure) {
    if (failure.Is(FailureCode::kUserInterrupt)) return;
    services_.presenter.ShowMessage(parent, FailureText(doing, failure));
  }

  ImageWindowServicesFor<Parent> services_;
  static constexpr std::uint64_t kNoRow = UINT64_MAX;

  std::unique_ptr<ImageCatalog> catalog_;
  std::uint64_t shown_row_ = kNoRow;  // the row `shown_` holds
  std::array<std::string, 4> shown_;
  bool running_ = false;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_IMAGE_WINDOW_CORE_H_
