// Opens an image and its report together under their folder's lock.
#include "reading/output_pair.h"

#include <map>

#include "commit/folder_wait.h"
#include "commit/interrupted_commit.h"
#include "format/output_names.h"
#include "runtime/out_of_memory.h"
#include "runtime/path.h"
#include "runtime/reserved_names.h"

namespace mirlot {

namespace {

// Opens `name` in `folder`, or the file that `located` says holds its
// earlier content.
Result<std::unique_ptr<ReadableFile>> OpenThrough(
    Folder& folder, const std::map<std::string, std::string>& located,
    const std::string& name) {
  auto it = located.find(name);
  if (it == located.end()) return folder.OpenForRead(name);
  if (it->second.empty()) return FailureCode::kFileNotFound;
  return folder.OpenForRead(it->second);
}

Result<OutputPair> OpenPair(FileSystem& file_system,
                            const std::string& image_path,
                            FolderWaitObserver& observer) {
  OutputPair pair;
  pair.report_path = ResolveIn(ParentFolder(image_path), kReportName);
  Result<std::unique_ptr<Folder>> folder =
      file_system.OpenFolder(ParentFolder(image_path));
  if (!folder.ok()) {
    // Nothing to lock: the image's own open says what is wrong.
    Result<std::unique_ptr<ReadableFile>> image =
        file_system.OpenForRead(image_path);
    if (!image.ok()) return image.status();
    pair.image = std::move(*image);
    pair.report = file_system.OpenForRead(pair.report_path);
    return pair;
  }
  const std::string folder_name = FolderName(ParentFolder(image_path));
  Result<std::unique_ptr<FolderLock>> lock =
      WaitForFolderLock(**folder, LockKind::kShared, folder_name, observer);
  if (!lock.ok()) return lock.status();
  Settlement settled;
  Result<std::optional<FileStatus>> record =
      (*folder)->StatName(kCommitRecordName);
  if (record.ok() && *record) {
    lock->reset();
    lock = WaitForFolderLock(**folder, LockKind::kExclusive, folder_name,
                             observer);
    if (!lock.ok()) return lock.status();
    const std::string outputs[] = {kImageName, kReportName};
    Result<Settlement> settlement = SettleInterruptedCommit(
        **folder, ParentFolder(image_path), outputs, (*lock)->held());
    if (!settlement.ok()) return settlement.status();
    settled = std::move(*settlement);
  }
  Result<std::unique_ptr<ReadableFile>> image =
      OpenThrough(**folder, settled.located, LastComponent(image_path));
  if (!image.ok()) return image.status();
  pair.image = std::move(*image);
  pair.report = OpenThrough(**folder, settled.located, kReportName);
  pair.warning = std::move(settled.note);
  return pair;
}

}  // namespace

Result<OutputPair> OpenImageAndReport(FileSystem& file_system,
                                      const std::string& image_path,
                                      FolderWaitObserver& observer) {
  return OutOfMemoryAsFailure(
      [&] { return OpenPair(file_system, image_path, observer); });
}

}  // namespace mirlot
