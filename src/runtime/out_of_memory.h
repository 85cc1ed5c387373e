// Running out of memory as a failure like any other.
#ifndef MIRLOT_RUNTIME_OUT_OF_MEMORY_H_
#define MIRLOT_RUNTIME_OUT_OF_MEMORY_H_

#include <new>
#include <utility>

#include "runtime/status.h"

namespace mirlot {

// Runs `work`, which returns a Status or a Result, and turns its running out
// of memory (std::bad_alloc) into 7 "Out of memory", so that the failure
// leaves a layer, or a thread, as a value. What `work` made is released as
// it unwinds; a temporary file must be removed by its owner then.
template <typename Work>
auto OutOfMemoryAsFailure(Work&& work) -> decltype(work()) {
  try {
    return std::forward<Work>(work)();
  } catch (const std::bad_alloc&) {
    return Status(FailureCode::kOutOfMemory);
  }
}

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_OUT_OF_MEMORY_H_
