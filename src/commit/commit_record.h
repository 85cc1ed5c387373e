// Moves files that belong together into place so that a crash at any moment
// leaves either all the earlier files or, once the commit is complete, all
// the new ones. Before the first move a record of the moves
// (format/commit_record_text.h) is made durable in the folder under its own
// name, locked by the committing process until it removes it; whatever next
// works in the folder settles a commit whose record is still there
// (interrupted_commit.h). The record is written before the new files are
// synced, so that one sync makes them and it durable together: until the
// first move the earlier files are all in place, and a record found then
// puts them back.
#ifndef MIRLOT_COMMIT_COMMIT_RECORD_H_
#define MIRLOT_COMMIT_COMMIT_RECORD_H_

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "format/commit_record_text.h"
#include "runtime/file_system.h"
#include "runtime/result.h"
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

// The record of a commit, written under its name in its folder and locked,
// but not yet durable. Dropped before CommitWithRecord takes it, it removes
// the record: the commit is abandoned and nothing was moved.
class CommitRecord {
 public:
  CommitRecord(CommitRecord&&) = default;
  CommitRecord& operator=(CommitRecord&&) = delete;
  ~CommitRecord();

 private:
  CommitRecord(Folder& folder, std::unique_ptr<ExclusiveFile> file,
               std::vector<RecordedMove> moves, std::string text);

  friend Result<CommitRecord> WriteCommitRecord(
      Folder& folder, std::span<const StagedFile> files);
  friend Status CommitWithRecord(CommitRecord record);

  Folder* folder_;
  std::unique_ptr<ExclusiveFile> file_;  // null once removed or taken
  std::vector<RecordedMove> moves_;
  std::string text_;
};

// Writes the record of moving every `from` onto its `to` in `folder`, whose
// lock the caller holds exclusively where the platform can lock it. Nothing
// is moved yet, and neither the record nor the files need be durable.
// On success returns the record. On failure returns the failure, 75 when
// anything has the record's name; nothing of the record is left.
Result<CommitRecord> WriteCommitRecord(Folder& folder,
                                       std::span<const StagedFile> files);

// Moves the files that `record` names into place as one commit: makes the
// record and the folder's names durable, moves the files
// (Folder::ReplaceTogether), syncs the names, removes the record, syncs
// again, then removes the former contents. The files' content must be
// durable by then (Folder::SyncClosedFiles).
// On success the new files are in place and durable. On failure returns the
// failure: every `to` holds its earlier content again, or the record stays
// for the next command to settle.
Status CommitWithRecord(CommitRecord record);

}  // namespace mirlot

#endif  // MIRLOT_COMMIT_COMMIT_RECORD_H_
