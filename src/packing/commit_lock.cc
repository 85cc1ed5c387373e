// Takes an output folder's commit lock, waiting while another run holds it.
#include "packing/commit_lock.h"

#include "runtime/path.h"

namespace mirlot {

Result<std::unique_ptr<FolderLock>> LockForCommit(Folder& folder,
                                                  const std::string& path,
                                                  RunObserver& observer) {
  const std::string folder_path = FolderName(path);
  Result<std::unique_ptr<FolderLock>> lock =
      WaitForFolderLock(folder, LockKind::kExclusive, folder_path, observer);
  if (lock.ok() && !(*lock)->held()) {
    observer.OnWarning("could not lock " + folder_path + " (" +
                       (*lock)->why_not_held().description() +
                       "); another run into it could interleave with this one");
  }
  return lock;
}

}  // namespace mirlot
