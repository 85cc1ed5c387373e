// Waiting for the lock of a folder another run holds: a pack commits its
// outputs under it, readers open an image and its report under it. Every
// front end learns of the wait the same way and can end it.
#ifndef MIRLOT_COMMIT_FOLDER_WAIT_H_
#define MIRLOT_COMMIT_FOLDER_WAIT_H_

#include <memory>
#include <string>

#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// Learns of a wait for a folder's lock, and tells whether to give it up.
class FolderWaitObserver {
 public:
  virtual ~FolderWaitObserver() = default;

  // Called from the waiting thread: with `waiting` true when it starts to
  // wait because another run is writing into `folder`, with false when that
  // wait is over (the other run finished, or the wait was cancelled).
  // Cannot fail.
  virtual void OnWaitingForFolder(const std::string& folder, bool waiting) {
    (void)folder;
    (void)waiting;
  }

  // Polled from the working thread while it waits, and between the steps
  // of its work. Returns true when the user asked to stop.
  virtual bool CancelRequested() { return false; }
};

// Told nothing and never cancelling: for a run nobody watches wait.
FolderWaitObserver& UnobservedWait();

// Takes the `kind` lock of `folder`, named `folder_name` in what `observer`
// is told, waiting while another run holds it and polling `observer` for a
// cancel request meanwhile.
// On success returns the lock, possibly a stand-in that holds nothing
// (FolderLock::held). On failure returns 18 "User interrupt occurred":
// cancelled while waiting.
Result<std::unique_ptr<FolderLock>> WaitForFolderLock(
    Folder& folder, LockKind kind, const std::string& folder_name,
    FolderWaitObserver& observer);

}  // namespace mirlot

#endif  // MIRLOT_COMMIT_FOLDER_WAIT_H_
