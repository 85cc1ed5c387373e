#include <unistd.h>

#include <atomic>
#include <csignal>

#include "runtime/console.h"

namespace mirlot {

namespace {

// A lock-free atomic may be set from a signal handler running on any thread.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

extern "C" void RecordInterrupt(int) {
  interrupted.store(true, std::memory_order_relaxed);
}

}  // namespace

std::vector<std::string> StartCommandLine(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

void WriteLine(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

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
