// Outputs written under temporary names and moved into place together.
#include "packing/staged_output.h"

#include <vector>

#include "runtime/commit_record.h"

namespace mirlot {

StagedOutput::StagedOutput(Folder& folder, std::string final_name)
    : folder_(folder), final_name_(std::move(final_name)) {}

StagedOutput::~StagedOutput() {
  if (finished_ && !committed_) (void)folder_.Remove(file_->name());
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
  Status status = CommitWithRecord(outputs.front()->folder_, replacements);
  if (status.ok()) {
    for (StagedOutput* output : outputs) output->committed_ = true;
  }
  return status;
}

}  // namespace mirlot
