// What a front end learns of a run while it works, and how it stops one.
#ifndef MIRLOT_PACKING_RUN_OBSERVER_H_
#define MIRLOT_PACKING_RUN_OBSERVER_H_

#include <cstdint>
#include <string>

#include "commit/folder_wait.h"
#include "runtime/status.h"

namespace mirlot {

// How far the copy of the payloads has come: a member counts as done once
// its whole payload is in the image.
struct CopyProgress {
  std::uint64_t files_done = 0;
  std::uint64_t files_total = 0;
  std::uint64_t bytes_done = 0;
  std::uint64_t bytes_total = 0;
  friend bool operator==(const CopyProgress&, const CopyProgress&) = default;
};

// The wait for the output folder and the cancel request come from
// FolderWaitObserver: the run polls CancelRequested between blocks and
// while it waits; when it holds, the run ends with nothing changed and no
// further message.
class RunObserver : public FolderWaitObserver {
 public:
  virtual ~RunObserver() = default;

  // Called from the thread running the packing as the copy starts and after
  // each block of payload bytes is in the image. Cannot fail.
  virtual void OnProgress(const CopyProgress& progress) { (void)progress; }

  // Called from the thread running the packing once every payload is
  // copied, before the outputs are written out to disk and moved into
  // place, which can take as long as the copy. Cannot fail.
  virtual void OnSaving() {}

  // Called from the thread running the packing with one line the user
  // should read although the run goes on: its folder could not be locked,
  // or a file in the commit record's place was not ours and was removed.
  // Cannot fail.
  virtual void OnWarning(const std::string& text) { (void)text; }
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_RUN_OBSERVER_H_
