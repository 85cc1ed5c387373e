// An output file written under a temporary name beside its final name and
// moved into place only when complete, so that the earlier file stays
// untouched unless the new one is whole.
#ifndef MIRLOT_PACKING_STAGED_OUTPUT_H_
#define MIRLOT_PACKING_STAGED_OUTPUT_H_

#include <memory>
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

  // Renames the finished temporary file to the final name.
  // On success the final name holds the new content. On failure the earlier
  // file at the final name is unchanged and the temporary file is removed.
  Status Commit();

 private:
  FileSystem& file_system_;
  std::string folder_;
  std::string final_name_;
  std::unique_ptr<WritableFile> file_;
  std::string temporary_path_;
  bool committed_ = false;
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_STAGED_OUTPUT_H_
