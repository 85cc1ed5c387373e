// What a front end learns of a run while it works, and how it stops one.
#ifndef MIRLOT_PACKING_RUN_OBSERVER_H_
#define MIRLOT_PACKING_RUN_OBSERVER_H_

#include <cstdint>
#include <string>

namespace mirlot {

class RunObserver {
 public:
  virtual ~RunObserver() = default;

  // Called from the thread running the packing as payload bytes are copied:
  // `done` of `total` payload bytes are in the image. Cannot fail.
  virtual void OnProgress(std::uint64_t done, std::uint64_t total) {
    (void)done;
    (void)total;
  }

  // Called from the thread running the packing: with `waiting` true when the
  // run starts to wait because another run is writing its outputs into
  // `folder`, with false when that wait is over (the other run finished, or
  // this one was cancelled while waiting). The run polls CancelRequested
  // while it waits. Cannot fail.
  virtual void OnWaitingForFolder(const std::string& folder, bool waiting) {
    (void)folder;
    (void)waiting;
  }

  // Polled from the thread running the packing, between blocks and while it
  // waits for the output folder.
  // Returns true when the user asked to stop; the run then ends with nothing
  // changed and no further message.
  virtual bool CancelRequested() { return false; }
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_RUN_OBSERVER_H_
