// The commit lock a run holds on its output folder from before it creates
// its temporary files until its outputs are in place or removed, so that two
// runs into one folder never leave a mixed pair of outputs.
#ifndef MIRLOT_PACKING_COMMIT_LOCK_H_
#define MIRLOT_PACKING_COMMIT_LOCK_H_

#include <memory>
#include <string>

#include "packing/run_observer.h"
#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// Takes the exclusive lock of `folder`, whose path is `folder_path`,
// waiting while another run holds it: `observer` is told when the wait
// starts and ends, and polled for a cancel request meanwhile.
// On success returns the lock; a stand-in that holds nothing where the
// platform cannot lock the folder, so that the lock is never the reason a
// run fails, and `observer` is warned why ("could not lock /d (Permission
// denied); another run into it could interleave with this one"). On failure
// returns 18 "User interrupt occurred": cancelled while waiting.
Result<std::unique_ptr<FolderLock>> LockForCommit(
    Folder& folder, const std::string& folder_path, RunObserver& observer);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_COMMIT_LOCK_H_
