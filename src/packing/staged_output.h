// An output file written under a temporary name beside its final name and
// moved into place only when complete, so that the earlier file stays
// untouched unless the new one is whole.
#ifndef MIRLOT_PACKING_STAGED_OUTPUT_H_
#define MIRLOT_PACKING_STAGED_OUTPUT_H_

#include <memory>
#include <span>
#include <string>

#include "commit/commit_record.h"
#include "format/content_checksum.h"
#include "runtime/file_system.h"

namespace mirlot {

class StagedOutput {
 public:
  // An output named `final_name` in `folder`, which must outlive it.
  StagedOutput(Folder& folder, std::string final_name);
  // Removes the temporary file unless it was committed or left for a
  // commit's rollback: a finished one here, an unfinished one by its file.
  ~StagedOutput();
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  // Creates the temporary file.
  // On success file() takes appends. On failure nothing was created.
  Status Open();

  // Takes the output's content, and notes its size and checksum for the
  // commit.
  WritableFile& file() { return counted_; }

  // Writes out and closes the temporary file; the folder's SyncClosedFiles
  // makes it durable.
  // On success it is complete. On failure it will be removed.
  Status Finish();

  // Writes the folder's commit record (commit/commit_record.h) of moving
  // the finished temporary files of `outputs` (one or more, all in one
  // folder) to their final names. Call with the folder's exclusive lock
  // held where the platform can lock it, then make the files and the record
  // durable together with the folder's SyncClosedFiles.
  // On success returns the record; dropping it abandons the commit. On
  // failure (7 when out of memory, 75 when the record's name is taken)
  // nothing of the record is left.
  friend Result<CommitRecord> RecordCommit(
      std::span<StagedOutput* const> outputs);

  // Moves the temporary files of `outputs` to their final names, all of
  // them or none, through their `record`, so that a crash leaves them all or
  // none too.
  // On success each final name holds its new content, durably. On failure
  // (7 when out of memory) the earlier files at the final names are
  // unchanged and the temporary files will be removed, or, when not even a
  // rollback got that far, the commit's record stays with the temporary
  // files for the next command to settle.
  friend Status CommitTogether(std::span<StagedOutput* const> outputs,
                               CommitRecord record);

 private:
  // Passes appends on to the temporary file, counting what they hold.
  class CountedFile : public WritableFile {
   public:
    explicit CountedFile(StagedOutput& output) : output_(output) {}
    Status Append(std::string_view data) override;
    Status Close() override { return output_.file_->Close(); }
    const std::string& name() const override { return output_.file_->name(); }

   private:
    StagedOutput& output_;
  };

  Folder& folder_;
  std::string final_name_;
  std::unique_ptr<WritableFile> file_;
  CountedFile counted_{*this};
  std::uint64_t size_ = 0;
  ContentChecksum checksum_;
  bool finished_ = false;
  bool kept_ = false;  // committed, or left for the settling of a record
};

Result<CommitRecord> RecordCommit(std::span<StagedOutput* const> outputs);
Status CommitTogether(std::span<StagedOutput* const> outputs,
                      CommitRecord record);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_STAGED_OUTPUT_H_
