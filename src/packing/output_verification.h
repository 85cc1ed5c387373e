// Tells whether the image and report beside a list are, byte for byte, what
// packing the list now would write, and where they are not.
#ifndef MIRLOT_PACKING_OUTPUT_VERIFICATION_H_
#define MIRLOT_PACKING_OUTPUT_VERIFICATION_H_

#include <cstdint>
#include <string>

#include "packing/difference_sink.h"
#include "packing/run_observer.h"
#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// The outputs of an earlier run, opened for reading by the caller.
struct PackedOutputs {
  ReadableFile& image;
  ReadableFile& report;
};

// Reads the list at `list_path` as a packing run does (the same rules and
// limits, each member looked up once) and compares `outputs` with the image
// and report a run would write for it now: the table, every payload and
// every report line. The members and both outputs are read once, front to
// back, in large blocks, so memory stays the same whatever their sizes;
// progress and cancel requests go through `observer` as in a run's copy. A
// member a run would stop at, a list past the table's capacity, an empty
// list and an image that would reach 2 GiB are each a difference told
// alone, as a run would write nothing for such a list.
// On success returns how many differences `sink` was told; 0 when the
// outputs are what a run would write. On failure returns 18 when `observer`
// asked to stop, else the failure to read the list, a member or an output,
// its description led by the path concerned, or 7 "Out of memory" (also
// when a helper thread cannot start) led by the list's.
Result<std::uint64_t> VerifyOutputs(FileSystem& file_system,
                                    const std::string& list_path,
                                    PackedOutputs outputs, DifferenceSink& sink,
                                    RunObserver& observer);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_OUTPUT_VERIFICATION_H_
