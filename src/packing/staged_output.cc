// Outputs written under temporary names and moved into place together.
#include "packing/staged_output.h"

#include <optional>
#include <vector>

#include "runtime/out_of_memory.h"
#include "runtime/reserved_names.h"

namespace mirlot {

namespace {

// True when a failed commit left its record in `folder` (its own rollback
// could not be made): the temporary files may hold the earlier outputs
// then, and stay for the next command, which settles the record. Out of
// memory it cannot tell, so they stay then too.
bool RecordStays(Folder& folder) {
  Result<std::optional<FileStatus>> record =
      OutOfMemoryAsFailure([&] { return folder.StatName(kCommitRecordName); });
  return !record.ok() || (*record && (*record)->kind == FileKind::kRegular);
}

}  // namespace

StagedOutput::StagedOutput(Folder& folder, std::string final_name)
    : folder_(folder), final_name_(std::move(final_name)) {}

StagedOutput::~StagedOutput() {
  if (finished_ && !kept_) (void)folder_.Remove(file_->name());
}

Status StagedOutput::Open() {
  Result<std::unique_ptr<WritableFile>> file =
      folder_.CreateTemporary(final_name_);
  if (!file.ok()) return file.status();
  file_ = std::move(*file);
  return Status::Ok();
}

Status StagedOutput::CountedFile::Append(std::string_view data) {
  Status status = output_.file_->Append(data);
  if (status.ok()) {
    output_.size_ += data.size();
    output_.checksum_.Add(data);
  }
  return status;
}

Status StagedOutput::Finish() {
  Status closed = file_->Close();
  finished_ = closed.ok();
  return closed;
}

Result<CommitRecord> RecordCommit(std::span<StagedOutput* const> outputs) {
  return OutOfMemoryAsFailure([&]() -> Result<CommitRecord> {
    std::vector<StagedFile> files;
    for (const StagedOutput* output : outputs) {
      files.push_back({output->file_->name(), output->final_name_,
                       output->size_, output->checksum_.Value()});
    }
    return WriteCommitRecord(outputs.front()->folder_, files);
  });
}

Status CommitTogether(std::span<StagedOutput* const> outputs,
                      CommitRecord record) {
  Folder& folder = outputs.front()->folder_;
  const Status status =
      OutOfMemoryAsFailure([&] { return CommitWithRecord(std::move(record)); });
  if (status.ok() || RecordStays(folder)) {
    for (StagedOutput* output : outputs) output->kept_ = true;
  }
  return status;
}

}  // namespace mirlot
