// The names this program gives its own files in the folders it writes,
// which no file of the user's may take.
#ifndef MIRLOT_RUNTIME_RESERVED_NAMES_H_
#define MIRLOT_RUNTIME_RESERVED_NAMES_H_

#include <string_view>

namespace mirlot {

// The record of a commit in progress, which the next command in the folder
// settles (commit/commit_record.h, commit/interrupted_commit.h).
inline constexpr char kCommitRecordName[] = ".mirlot-commit";

// The file through which Windows locks a folder (windows_file_system.h).
inline constexpr char kFolderLockFileName[] = ".mirlot-commit.lock";

// True when `name`, one component, names the same file (as FileNameKey
// compares names) as one of the names above, or is a temporary or set-aside
// name (IsTemporaryName).
bool IsReservedName(std::string_view name);

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_RESERVED_NAMES_H_
