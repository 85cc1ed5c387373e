// Moves files that belong together into place so that a crash at any moment
// leaves either all the earlier files or, once the commit is complete, all
// the new ones. Before the first move a record of the moves is made durable
// in the folder; whatever next works in the folder rolls back a commit whose
// record is still there.
//
// The record, `.mirlot-commit` in the folder, is text of LF-ended lines:
//   mirlot commit 1
// then four lines per move, in the order the moves are made:
//   FROM                   the temporary name of the new file
//   TO                     the name it replaces
//   none | SIZE DEV OBJ    the file at TO before the commit (its identity)
//   SIZE DEV OBJ           the new file
// and last the line "end". It is written under a temporary name, made
// durable and only then given its name, so that a record under its name is
// always whole.
#ifndef MIRLOT_RUNTIME_COMMIT_RECORD_H_
#define MIRLOT_RUNTIME_COMMIT_RECORD_H_

#include <map>
#include <span>
#include <string>

#include "runtime/file_system.h"
#include "runtime/status.h"

namespace mirlot {

inline constexpr char kCommitRecordName[] = ".mirlot-commit";

// Moves every `from` onto its `to` in `folder`, whose lock the caller holds
// exclusively, as one commit: records it durably, moves the files
// (Folder::ReplaceTogether), syncs the folder's names, removes the record,
// syncs again, then removes the former contents.
// On success the new files are in place and durable. On failure returns the
// failure; every `to` holds its earlier content again, or the record stays
// for the next command to roll back.
Status CommitWithRecord(Folder& folder,
                        std::span<const Replacement> replacements);

// Rolls back a commit that was interrupted, when the folder holds its
// record: each `to` gets its earlier content back (or is removed when it had
// none), the new files and the set-aside names go, the folder's names are
// synced and the record is removed. Should an earlier file be gone, the new
// files are kept instead, so that the outputs still belong together. Call
// with the folder's exclusive lock held. Running it again after a crash of
// its own finishes the work.
// On success no record remains. On failure returns the failure; the record
// stays.
Status RollBackInterruptedCommit(Folder& folder);

// For a folder that holds a commit's record and cannot be written: for each
// `to` of the record, the name in `folder` that now holds the file the
// rollback would put there ("" when there would be none).
// On success returns those names; empty when there is no record. On failure
// returns the failure to read the record or look up the names.
Result<std::map<std::string, std::string>> LocateRolledBackFiles(
    Folder& folder);

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_COMMIT_RECORD_H_
