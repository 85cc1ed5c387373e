#include "packing/staged_output.h"

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

Status StagedOutput::Commit() {
  Status status =
      file_system_.Rename(temporary_path_, ResolveIn(folder_, final_name_));
  committed_ = status.ok();
  return status;
}

}  // namespace mirlot
