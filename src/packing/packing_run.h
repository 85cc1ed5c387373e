// One packing run: reads the list, checks its members, writes out.bin and
// report.txt beside the list, and tells the user how it went.
#ifndef MIRLOT_PACKING_PACKING_RUN_H_
#define MIRLOT_PACKING_PACKING_RUN_H_

#include <optional>
#include <string>

#include "format/output_names.h"
#include "packing/run_observer.h"
#include "runtime/file_system.h"
#include "runtime/message_sink.h"

namespace mirlot {

struct RunRequest {
  // The list file, nullopt when none was chosen. Its folder is the run's
  // working folder: the outputs are written there and relative member paths
  // are taken from there.
  std::optional<std::string> list_path;
};

enum class RunOutcome {
  kDone,       // ended with "Done" (an empty list included)
  kRefused,    // ended with a message about the request or a member
  kFailed,     // ended with a failure message
  kCancelled,  // stopped by the user, nothing changed, nothing shown
};

// Runs one packing. Every message goes to `sink`, in order; progress and
// cancellation go through `observer`. The outputs are replaced whole or not
// at all: a run that does not end with "Done" leaves them as they were. A
// run that runs out of memory fails with 7 "Out of memory" like any other.
RunOutcome RunPacking(const RunRequest& request, FileSystem& file_system,
                      MessageSink& sink, RunObserver& observer);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_PACKING_RUN_H_
