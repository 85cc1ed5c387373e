#include "runtime/console.h"

#include <unistd.h>

#include <atomic>
#include <csignal>

namespace mirlot {

namespace {

// A lock-free atomic may be set from a signal handler running on any thread.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void RecordInterrupt(int) {
  interrupted.store(true, std::memory_order_relaxed);
}

}  // namespace

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

InterruptWatch::InterruptWatch() {
  interrupted.store(false, std::memory_order_relaxed);
  std::signal(SIGINT, RecordInterrupt);
  std::signal(SIGTERM, RecordInterrupt);
}

InterruptWatch::~InterruptWatch() {
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

bool InterruptWatch::Interrupted() const {
  return interrupted.load(std::memory_order_relaxed);
}

}  // namespace mirlot
