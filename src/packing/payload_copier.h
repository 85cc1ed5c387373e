// Copies every member's payload into the image, in list order.
#ifndef MIRLOT_PACKING_PAYLOAD_COPIER_H_
#define MIRLOT_PACKING_PAYLOAD_COPIER_H_

#include <optional>
#include <string>

#include "packing/container_layout.h"
#include "packing/entry_table.h"
#include "packing/failure_detail.h"
#include "packing/run_observer.h"
#include "runtime/file_system.h"

namespace mirlot {

// How the copy ended, and where it stopped when a member could not be
// opened or read: that member's path, or "" when its name could not be read
// again from the list.
struct CopyResult {
  Status failure;
  std::optional<std::string> member_path;
};

// Appends to `image` the payload of each entry of `table`, for a list in
// `folder`: its member's bytes from offset 50 on, as many as the layout's
// length for it. Members are read on up to two helper threads, which take runs
// of them in turn (CopyRuns), while the calling thread appends, in blocks that
// gather small members together; `observer` is told of progress on the calling
// thread as the copy starts and after each block, and polled before each.
// On success all payloads are appended. On failure returns the first failure
// in list order: 53 (or another open failure) when a member cannot be
// opened, 62 "Input past end of file" when a member is now shorter than the
// list stage measured it, a failure to read a name again from `list` (75
// when the list changed), 18 when `observer` asked to cancel, the write
// failure or 7 "Out of memory" (also when a helper thread cannot start),
// each with its detail (the member, or the image named `image_name`);
// `image` then holds a partial image. No helper thread outlives the call.
CopyResult CopyPayloads(FileSystem& file_system, const std::string& folder,
                        ReadableFile& list, const EntryTable& table,
                        const ContainerLayout& layout, WritableFile& image,
                        std::string_view image_name, RunObserver& observer);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_PAYLOAD_COPIER_H_
