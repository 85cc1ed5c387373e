// What an extraction tells its front end as each entry is put in place.
#ifndef MIRLOT_READING_EXTRACT_OBSERVER_H_
#define MIRLOT_READING_EXTRACT_OBSERVER_H_

#include <cstdint>
#include <string>

#include "commit/folder_wait.h"
#include "format/image_table.h"

namespace mirlot {

// Learns of each entry as the extraction goes. CancelRequested is polled
// between blocks: when it holds, the entry being written is dropped, those
// complete before it are put in place, and the extraction ends with 18
// "User interrupt occurred".
class ExtractObserver : public FolderWaitObserver {
 public:
  virtual ~ExtractObserver() = default;
  // The payload of entry `number` (1-based) is complete at `path`.
  // Cannot fail.
  virtual void OnWritten(std::uint64_t number, const std::string& path,
                         std::uint64_t length) = 0;
  // Entry `number` was left out: its payload does not lie wholly inside the
  // image. Cannot fail.
  virtual void OnSkipped(std::uint64_t number, const TableEntry& entry) = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_READING_EXTRACT_OBSERVER_H_
