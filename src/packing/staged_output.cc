// Outputs written under temporary names and moved into place together.
#include "packing/staged_output.h"

#include <vector>

#include "runtime/path.h"

namespace mirlot {

StagedOutput::StagedOutput(FileSystem& file_system, std::string folder,
                           std::string final_name)
    : file_system_(file_system),
      folder_(std::move(folder)),
      final_name_(std::move(final_name)) {}

StagedOutput::~StagedOutput() {
  file_.reset();  // closes it, so that the removal also frees its space
  if (!committed_ && !temporary_path_.empty()) {
    (void)file_system_.Remove(temporary_path_);
  }
}

Status StagedOutput::Open() {
  Result<std::unique_ptr<WritableFile>> file =
      file_system_.CreateTemporary(folder_, final_name_);
  if (!file.ok()) return file.status();
  file_ = std::move(*file);
  temporary_path_ = file_->path();
  return Status::Ok();
}

Status StagedOutput::Finish() { return file_->Close(); }

Status CommitTogether(std::span<StagedOutput* const> outputs) {
  if (outputs.empty()) return Status::Ok();
  std::vector<Replacement> replacements;
  for (const StagedOutput* output : outputs) {
    replacements.push_back({output->temporary_path_,
                            ResolveIn(output->folder_, output->final_name_)});
  }
  Status status = outputs.front()->file_system_.ReplaceTogether(replacements);
  if (status.ok()) {
    for (StagedOutput* output : outputs) output->committed_ = true;
  }
  return status;
}

}  // namespace mirlot
