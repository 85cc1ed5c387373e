// Starting a thread as a value rather than an exception: the system may
// have no room for another thread, or no memory for its state.
#ifndef MIRLOT_RUNTIME_THREAD_START_H_
#define MIRLOT_RUNTIME_THREAD_START_H_

#include <new>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>

namespace mirlot {

// On success returns the thread that runs `work`. On failure (no room for
// another thread, or no memory for it) returns nullopt and `work` never
// runs; callers treat that as running out of memory.
template <typename Work>
std::optional<std::thread> StartThread(Work&& work) {
  try {
    return std::thread(std::forward<Work>(work));
  } catch (const std::system_error&) {
    return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
}

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_THREAD_START_H_
