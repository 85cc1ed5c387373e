// Reads a list file into the entry table and checks every member it names.
#ifndef MIRLOT_PACKING_LIST_STAGE_H_
#define MIRLOT_PACKING_LIST_STAGE_H_

#include <memory>
#include <optional>
#include <string>

#include "packing/entry_table.h"
#include "runtime/file_system.h"
#include "runtime/status.h"

namespace mirlot {

struct ListStageResult {
  Status failure;                      // set when reading or a lookup failed
  std::optional<std::string> refusal;  // a member the run will not pack
  std::string detail;  // what more to say about the failure or the refusal
  EntryTable table;    // complete only when both are unset
  // The member the stage stopped at, when a lookup failed or refused it.
  std::optional<ListEntry> stopped_at;
  std::string stopped_name;  // its name: the one name the stage keeps
  // The list, open for the passes that read the names again (ListNames).
  std::unique_ptr<ReadableFile> list;
};

// Reads every field of the list at `list_path`; relative member paths are
// taken from `folder`. Each member is looked up once: it must exist (else a
// 53 failure), be a normal file (else the "не существует" refusal) and hold
// at least 54 bytes (else the "короче 54 байт" refusal). A field beyond the
// table's capacity fails with 9. The stage stops at the first problem, and
// says in `detail` which entry and list line it was, and why.
ListStageResult ReadEntryTable(FileSystem& file_system,
                               const std::string& list_path,
                               const std::string& folder);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_LIST_STAGE_H_
