// Outputs written under temporary names and moved into place together.
#include "packing/staged_output.h"

#include <vector>

#include "runtime/commit_record.h"

namespace mirlot {

StagedOutput::StagedOutput(Folder& folder, std::string final_name)
    : folder_(folder), final_name_(std::move(final_name)) {}

StagedOutput::~StagedOutput() {
  file_.reset();  // closes it, so that the removal also frees its space
  if (!committed_ && !temporary_name_.empty()) {
    (void)folder_.Remove(temporary_name_);
  }
}

Status StagedOutput::Open() {
  Result<std::unique_ptr<WritableFile>> file =
      folder_.CreateTemporary(final_name_);
  if (!file.ok()) return file.status();
  file_ = std::move(*file);
  temporary_name_ = file_->name();
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

Status StagedOutput::Finish() { return file_->Close(); }

Status CommitTogether(std::span<StagedOutput* const> outputs) {
  if (outputs.empty()) return Status::Ok();
  std::vector<StagedFile> files;
  for (const StagedOutput* output : outputs) {
    files.push_back({output->temporary_name_, output->final_name_,
                     output->size_, output->checksum_.Value()});
  }
  Status status = CommitWithRecord(outputs.front()->folder_, files);
  if (status.ok()) {
    for (StagedOutput* output : outputs) output->committed_ = true;
  }
  return status;
}

}  // namespace mirlot
