#include "cli/terminal_progress.h"

#include "cli/output_text.h"

namespace mirlot {

namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(500);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr int kBarWidth = 40;

}  // namespace

TerminalProgress::TerminalProgress(std::FILE* stream)
    : stream_(stream), is_terminal_(IsTerminal(stream)) {}

TerminalProgress::~TerminalProgress() { Clear(); }

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

void TerminalProgress::OnWaitingForFolder(const std::string& folder,
                                          bool waiting) {
  if (!waiting) return;
  Clear();
  std::fprintf(stream_,
               "mirlot pack: another run is writing into %s; waiting for it "
               "to finish\n",
               TerminalText(folder).c_str());
  std::fflush(stream_);
}

bool TerminalProgress::CancelRequested() { return interrupt_.Interrupted(); }

void TerminalProgress::Clear() {
  if (!drawn_) return;
  std::fprintf(stream_, "\r\033[K");
  std::fflush(stream_);
  drawn_ = false;
}

}  // namespace mirlot
