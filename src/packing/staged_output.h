// An output file written under a temporary name beside its final name and
// moved into place only when complete, so that the earlier file stays
// untouched unless the new one is whole.
#ifndef MIRLOT_PACKING_STAGED_OUTPUT_H_
#define MIRLOT_PACKING_STAGED_OUTPUT_H_

#include <memory>
#include <span>
#include <string>

#include "runtime/file_system.h"

namespace mirlot {

class StagedOutput {
 public:
  StagedOutput(FileSystem& file_system, std::string folder,
               std::string final_name);
  // Removes the temporary file unless it was committed.
  ~StagedOutput();
  StagedOutput(const StagedOutput&) = delete;
  StagedOutput& operator=(const StagedOutput&) = delete;

  // Creates the temporary file.
  // On success file() takes appends. On failure nothing was created.
  Status Open();

  WritableFile& file() { return *file_; }

  // Writes out and closes the temporary file.
  // On success it is complete on disk. On failure it will be removed.
  Status Finish();

  // Moves the finished temporary files of `outputs` to their final names,
  // all of them or none.
  // On success each final name holds its new content. On failure the earlier
  // files at the final names are unchanged and the temporary files will be
  // removed.
  friend Status CommitTogether(std::span<StagedOutput* const> outputs);

 private:
  FileSystem& file_system_;
  std::string folder_;
  std::string final_name_;
  std::unique_ptr<WritableFile> file_;
  std::string temporary_path_;
  bool committed_ = false;
};

Status CommitTogether(std::span<StagedOutput* const> outputs);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_STAGED_OUTPUT_H_
