// Takes an output folder's commit lock, waiting while another run holds it.
#include "packing/commit_lock.h"

#include <chrono>
#include <thread>

#include "packing/failure_detail.h"

namespace mirlot {

namespace {

// How often a waiting run tries the lock again and looks for a cancel: soon
// enough for a person, rarely enough to cost nothing.
constexpr auto kRetryInterval = std::chrono::milliseconds(100);

}  // namespace

Result<std::unique_ptr<FolderLock>> LockForCommit(Folder& folder,
                                                  const std::string& path,
                                                  RunObserver& observer) {
  const std::string folder_path = FolderName(path);
  std::unique_ptr<FolderLock> lock = folder.TryLock(LockKind::kExclusive);
  if (lock != nullptr && !lock->held()) {
    observer.OnWarning("could not lock " + folder_path + " (" +
                       lock->why_not_held().description() +
                       "); another run into it could interleave with this one");
  }
  if (lock != nullptr) return lock;
  observer.OnWaitingForFolder(folder_path, true);
  while (!observer.CancelRequested()) {
    std::this_thread::sleep_for(kRetryInterval);
    lock = folder.TryLock(LockKind::kExclusive);
    if (lock != nullptr) {
      observer.OnWaitingForFolder(folder_path, false);
      return lock;
    }
  }
  observer.OnWaitingForFolder(folder_path, false);
  return FailureCode::kUserInterrupt;
}

}  // namespace mirlot
