// Moves files that belong together into place so that a crash at any moment
// leaves either all the earlier files or, once the commit is complete, all
// the new ones. Before the first move a record of the moves
// (format/commit_record_text.h) is made durable in the folder under its own
// name, locked by the committing process until it removes it; whatever next
// works in the folder settles a commit whose record is still there
// (interrupted_commit.h).
#ifndef MIRLOT_COMMIT_COMMIT_RECORD_H_
#define MIRLOT_COMMIT_COMMIT_RECORD_H_

#include <cstdint>
#include <span>
#include <string>

#include "format/commit_record_text.h"
#include "runtime/file_system.h"
#include "runtime/status.h"

namespace mirlot {

// A complete file waiting under its temporary name `from` to replace `to`,
// with what it holds.
struct StagedFile {
  std::string from;
  std::string to;
  std::uint64_t size = 0;
  std::uint64_t checksum = 0;  // ContentChecksum of its content
};

// Moves every `from` onto its `to` in `folder`, whose lock the caller holds
// exclusively where the platform can lock it, as one commit: records it
// durably, moves the files (Folder::ReplaceTogether), syncs the folder's
// names, removes the record, syncs again, then removes the former contents.
// On success the new files are in place and durable. On failure returns the
// failure: every `to` holds its earlier content again, or the record stays
// for the next command to settle. A record's name taken by anything makes
// it fail with 75 before anything is moved.
Status CommitWithRecord(Folder& folder, std::span<const StagedFile> files);

}  // namespace mirlot

#endif  // MIRLOT_COMMIT_COMMIT_RECORD_H_
