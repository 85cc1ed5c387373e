#include "cli/terminal_progress.h"

#include <unistd.h>

#include <csignal>

namespace mirlot {

namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(500);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void OnInterrupt(int) { interrupted = 1; }

}  // namespace

TerminalProgress::TerminalProgress(std::FILE* stream)
    : stream_(stream), is_terminal_(::isatty(::fileno(stream)) != 0) {
  interrupted = 0;
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
}

TerminalProgress::~TerminalProgress() {
  Clear();
  std::signal(SIGINT, SIG_DFL);
  std::signal(SIGTERM, SIG_DFL);
}

void TerminalProgress::OnProgress(std::uint64_t done, std::uint64_t total) {
  if (!is_terminal_ || total == 0) return;
  const auto now = Clock::now();
  if (now - started_ < kQuietStart) return;
  if (drawn_ && now - last_drawn_ < kRedrawInterval && done < total) return;
  last_drawn_ = now;
  drawn_ = true;
  const int filled = static_cast<int>(kBarWidth * done / total);
  std::fprintf(stream_, "\r[%-*.*s] %3d%% %llu/%llu MiB", kBarWidth, filled,
               "########################################",
               static_cast<int>(100 * done / total),
               static_cast<unsigned long long>(done >> 20),
               static_cast<unsigned long long>(total >> 20));
  std::fflush(stream_);
}

bool TerminalProgress::CancelRequested() { return interrupted != 0; }

bool TerminalProgress::Interrupted() { return interrupted != 0; }

void TerminalProgress::Clear() {
  if (!drawn_) return;
  std::fprintf(stream_, "\r\033[K");
  std::fflush(stream_);
  drawn_ = false;
}

}  // namespace mirlot
