#include "runtime/console.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace mirlot {

namespace {

constexpr int kWatchedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kWatchedCount = sizeof kWatchedSignals / sizeof(int);

// The dispositions the watch replaced, restored when it ends.
void (*previous_handlers[kWatchedCount])(int) = {};

// The first signal that arrived, 0 for none. A lock-free atomic may be set
// from a signal handler running on any thread.
std::atomic<int> received_signal{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void RecordInterrupt(int signal_number) {
  int none = 0;
  received_signal.compare_exchange_strong(none, signal_number,
                                          std::memory_order_relaxed);
}

}  // namespace

std::vector<std::string> StartCommandLine(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool IsTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

int TerminalColumns(std::FILE* stream) {
  winsize size = {};
  if (::ioctl(::fileno(stream), TIOCGWINSZ, &size) != 0) return 0;
  return size.ws_col;
}

void PrepareStandardStreams() {
  std::signal(SIGPIPE, SIG_IGN);
  for (int fd = 0; fd <= 2; ++fd) {
    if (::fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // Opened for reading only, so that writes still fail as on a closed
    // stream. Opens take the lowest free number: this one.
    (void)::open("/dev/null", O_RDONLY);
  }
}

void WriteLine(std::FILE* stream, std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

InterruptWatch::InterruptWatch() {
  received_signal.store(0, std::memory_order_relaxed);
  for (int i = 0; i < kWatchedCount; ++i) {
    previous_handlers[i] = std::signal(kWatchedSignals[i], RecordInterrupt);
    // A signal its starter ignores (nohup) stays ignored.
    if (previous_handlers[i] == SIG_IGN) {
      std::signal(kWatchedSignals[i], SIG_IGN);
    }
  }
}

InterruptWatch::~InterruptWatch() {
  for (int i = 0; i < kWatchedCount; ++i) {
    if (previous_handlers[i] != SIG_ERR) {
      std::signal(kWatchedSignals[i], previous_handlers[i]);
    }
  }
}

bool InterruptWatch::Interrupted() const {
  return received_signal.load(std::memory_order_relaxed) != 0;
}

int InterruptWatch::ExitStatus() const {
  const int signal_number = received_signal.load(std::memory_order_relaxed);
  return signal_number == 0 ? 0 : 128 + signal_number;
}

}  // namespace mirlot
