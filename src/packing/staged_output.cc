// Outputs written under temporary names and moved into place together.
#include "packing/staged_output.h"

#include <vector>

#include "runtime/commit_record.h"
#include "runtime/out_of_memory.h"

namespace mirlot {

namespace {

// Rolls back a commit that failed, should its record still be in `folder`:
// running out of memory can stop a commit between its moves, with earlier
// outputs under the temporary names. Returns false when the record stays,
// and with it those files, for the next command's rollback.
bool RolledBack(Folder& folder) {
  return OutOfMemoryAsFailure([&] { return RollBackInterruptedCommit(folder); })
      .ok();
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

Status StagedOutput::Finish() {
  Status closed = file_->Close();
  finished_ = closed.ok();
  return closed;
}

Status CommitTogether(std::span<StagedOutput* const> outputs) {
  if (outputs.empty()) return Status::Ok();
  std::vector<Replacement> replacements;
  for (const StagedOutput* output : outputs) {
    replacements.push_back({output->file_->name(), output->final_name_});
  }
  Folder& folder = outputs.front()->folder_;
  const Status status = OutOfMemoryAsFailure(
      [&] { return CommitWithRecord(folder, replacements); });
  if (status.ok() || !RolledBack(folder)) {
    for (StagedOutput* output : outputs) output->kept_ = true;
  }
  return status;
}

}  // namespace mirlot
