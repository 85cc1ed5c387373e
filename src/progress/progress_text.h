// The one text every front end shows for a run's progress: files done of
// all, bytes in binary units, percent, and the time left once it is known.
#ifndef MIRLOT_PROGRESS_PROGRESS_TEXT_H_
#define MIRLOT_PROGRESS_PROGRESS_TEXT_H_

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "packing/run_observer.h"
#include "runtime/status.h"

namespace mirlot {

// Shown once every payload is copied, while the outputs are written out to
// disk and moved into place.
inline constexpr char kSavingText[] = "Saving\u2026";

// "Packing 12 of 300 files: 714 of 999 MiB (71%), about 8 s left", led by
// `doing` ("Verifying" for a check); without `left`, the text ends after
// the percent. Both amounts are in the unit that suits the total (B, KiB,
// MiB or GiB), with one decimal below 10.
std::string ProgressText(const CopyProgress& progress,
                         std::optional<std::chrono::seconds> left,
                         std::string_view doing = "Packing");

// How far the copy has come, 0 to 1000: by bytes, or by files when the
// payloads are all empty. Never 1000 before everything is copied.
int ProgressPermille(const CopyProgress& progress);

}  // namespace mirlot

#endif  // MIRLOT_PROGRESS_PROGRESS_TEXT_H_
