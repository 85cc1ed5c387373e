// The work the image window's buttons start, run on the worker thread of a
// BackgroundRun: each waits for a locked folder and stops on a cancel
// request through the run's observer, and leaves what it found for the
// window's thread to tell.
#ifndef MIRLOT_WINDOW_IMAGE_WORK_H_
#define MIRLOT_WINDOW_IMAGE_WORK_H_

#include <cstdint>
#include <memory>
#include <string>

#include "packing/listed_differences.h"
#include "packing/run_observer.h"
#include "reading/extract_summary.h"
#include "reading/image_catalog.h"
#include "reading/image_extractor.h"
#include "runtime/file_system.h"
#include "runtime/status.h"

namespace mirlot {

// Opens the image at `image_path` into `catalog`.
// On success `catalog` holds it. On failure returns the failure (18 when
// cancelled) and `catalog` is left as it was.
Status OpenImage(FileSystem& file_system, const std::string& image_path,
                 RunObserver& observer, std::unique_ptr<ImageCatalog>& catalog);

// What an extraction did, also when it failed or was cancelled.
struct ExtractReport {
  ExtractSummary summary;   // `written` counts the payloads put in place
  std::uint64_t total = 0;  // the entries the image holds
};

// Extracts the image at `image_path` into `folder` with `choices`, its
// progress told to `observer` as files and bytes done.
// On success `report` tells what was done or why nothing was. On failure
// returns the failure (18 when cancelled); `report` tells how many
// payloads were put in place before it.
Status ExtractImage(FileSystem& file_system, const std::string& image_path,
                    const std::string& folder, ExtractChoices choices,
                    RunObserver& observer, ExtractReport& report);

// Compares the image at `image_path` and the report beside it with what a
// pack of the list at `list_path` would write now.
// On success `differences` holds what differs (nothing when they match).
// On failure returns the failure to read the list, a member, the image or
// the report (18 when cancelled).
Status VerifyImage(FileSystem& file_system, const std::string& image_path,
                   const std::string& list_path, RunObserver& observer,
                   ListedDifferences& differences);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_IMAGE_WORK_H_
