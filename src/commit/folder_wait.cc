#include "commit/folder_wait.h"

#include <chrono>
#include <thread>

namespace mirlot {

namespace {

// How often a waiting run tries the lock again and looks for a cancel: soon
// enough for a person, rarely enough to cost nothing.
constexpr auto kRetryInterval = std::chrono::milliseconds(100);

}  // namespace

FolderWaitObserver& UnobservedWait() {
  static FolderWaitObserver unobserved;
  return unobserved;
}

Result<std::unique_ptr<FolderLock>> WaitForFolderLock(
    Folder& folder, LockKind kind, const std::string& folder_name,
    FolderWaitObserver& observer) {
  std::unique_ptr<FolderLock> lock = folder.TryLock(kind);
  if (lock != nullptr) return lock;
  observer.OnWaitingForFolder(folder_name, true);
  while (!observer.CancelRequested()) {
    std::this_thread::sleep_for(kRetryInterval);
    lock = folder.TryLock(kind);
    if (lock != nullptr) break;
  }
  observer.OnWaitingForFolder(folder_name, false);
  if (lock == nullptr) return FailureCode::kUserInterrupt;
  return lock;
}

}  // namespace mirlot
