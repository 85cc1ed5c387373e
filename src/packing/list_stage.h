// Reads a list file into the entry table and checks every member it names.
#ifndef MIRLOT_PACKING_LIST_STAGE_H_
#define MIRLOT_PACKING_LIST_STAGE_H_

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "packing/entry_table.h"
#include "packing/failure_detail.h"
#include "runtime/file_system.h"

namespace mirlot {

// A list read whole, every member checked: the table is ready to pack.
struct ReadyTable {
  EntryTable table;
  // The list, open for the passes that read the names again (ListNames).
  std::unique_ptr<ReadableFile> list;
};

// The member the stage stopped at, and its name: the one name it keeps.
struct StoppedMember {
  ListEntry entry;
  std::string name;
};

// A member the run will not pack: its legacy message and detail.
struct MemberRefusal {
  std::string message;
  std::string detail;
  StoppedMember member;
  bool too_short = false;  // else not a normal file, or a hidden one
};

// Reading the list failed, or looking up `member` did.
struct ListStageFailure {
  Status failure;
  std::optional<StoppedMember> member;
};

using ListStageResult =
    std::variant<ReadyTable, MemberRefusal, ListStageFailure>;

// Reads every field of the list at `list_path`; relative member paths are
// taken from `folder`. Each member is looked up once: it must exist (else a
// 53 failure), be a normal file (else the "не существует" refusal) and hold
// at least 54 bytes (else the "короче 54 байт" refusal). A field beyond the
// table's capacity fails with 9.
// On success returns the table, ready to pack. Otherwise the stage stops at
// the first problem, and says in its detail which entry and list line it
// was, and why.
ListStageResult ReadEntryTable(FileSystem& file_system,
                               const std::string& list_path,
                               const std::string& folder);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_LIST_STAGE_H_
