// Opens an image and the report beside it as one pair: under their folder's
// lock, after rolling back a commit a crash interrupted, so that a pack
// never changes one of them between the two opens. Everything after reads
// from the open files.
#ifndef MIRLOT_READING_OUTPUT_PAIR_H_
#define MIRLOT_READING_OUTPUT_PAIR_H_

#include <memory>
#include <string>

#include "commit/folder_wait.h"
#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

struct OutputPair {
  std::unique_ptr<ReadableFile> image;
  // The report beside the image, or why it could not be opened (53 when
  // there is none).
  Result<std::unique_ptr<ReadableFile>> report = FailureCode::kFileNotFound;
  std::string report_path;
  // One line for the user about a commit record found beside them that was
  // not acted on or was removed unacted; "" when there is nothing to say.
  std::string warning;
};

// Opens the image at `image_path` and the report beside it. Waits while a
// pack holds their folder's lock, telling `observer` and polling it for a
// cancel request. A commit's record left in the folder is
// settled first where this run may (commit/interrupted_commit.h); where it
// may not, the files the settling would leave are opened instead.
// On success returns both (the report possibly as its failure). On failure
// returns the failure to open the image, the failure to settle the record
// (75 when which files belong together cannot be told: then nothing is
// opened), 18 "User interrupt occurred" when cancelled while waiting, or 7
// "Out of memory".
Result<OutputPair> OpenImageAndReport(
    FileSystem& file_system, const std::string& image_path,
    FolderWaitObserver& observer = UnobservedWait());

}  // namespace mirlot

#endif  // MIRLOT_READING_OUTPUT_PAIR_H_
