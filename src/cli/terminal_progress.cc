#include "cli/terminal_progress.h"

#include <algorithm>

#include "progress/progress_text.h"
#include "runtime/text.h"

namespace mirlot {

namespace {

constexpr auto kQuietStart = std::chrono::milliseconds(500);
constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
// Saving this much takes long enough to be worth saying at once.
constexpr std::uint64_t kLargeCopy = 16 << 20;
constexpr int kDefaultColumns = 80;
constexpr int kLongestBar = 30;
// A bar shorter than this says too little to take room from the text.
constexpr int kShortestBar = 10;

// The first `columns` columns of `text`, with "…" in the last when cut.
std::string FirstColumns(std::string_view text, std::size_t columns) {
  if (DisplayColumns(text) <= columns) return std::string(text);
  std::size_t end = 0;
  for (std::size_t kept = 0; kept + 1 < columns; ++kept) {
    end += std::max<std::size_t>(1, Utf8SequenceLength(text.substr(end)));
  }
  return std::string(text.substr(0, end)) + (columns > 0 ? "\u2026" : "");
}

}  // namespace

std::string TerminalProgressLine(std::string_view text,
                                 std::optional<int> permille, int columns) {
  const int room = (columns > 0 ? columns : kDefaultColumns) - 1;
  const int text_columns = static_cast<int>(DisplayColumns(text));
  // "[", the bar, "] " and the text.
  const int bar = std::min(kLongestBar, room - text_columns - 3);
  if (!permille || bar < kShortestBar) {
    return FirstColumns(text, static_cast<std::size_t>(std::max(room, 0)));
  }
  const int filled = bar * *permille / 1000;
  return "[" + std::string(filled, '#') + std::string(bar - filled, '-') +
         "] " + std::string(text);
}

TerminalProgress::TerminalProgress(CommandOutput& output, bool shown,
                                   std::string_view doing)
    : output_(output), shown_(shown && IsTerminal(stderr)), doing_(doing) {}

void TerminalProgress::OnProgress(const CopyProgress& progress) {
  bytes_total_ = progress.bytes_total;
  const auto now = Clock::now();
  const std::optional<std::chrono::seconds> left =
      time_left_.Update(progress, now);
  if (!shown_ || now - started_ < kQuietStart) return;
  const bool finished = progress.bytes_done >= progress.bytes_total;
  if (output_.progress_drawn() && now - last_drawn_ < kRedrawInterval &&
      !finished)
    return;
  last_drawn_ = now;
  Draw(ProgressText(progress, left, doing_), ProgressPermille(progress));
}

void TerminalProgress::OnSaving() {
  if (!shown_) return;
  if (!output_.progress_drawn() && Clock::now() - started_ < kQuietStart &&
      bytes_total_ < kLargeCopy) {
    return;
  }
  Draw(kSavingText, std::nullopt);
}

void TerminalProgress::Draw(std::string_view text,
                            std::optional<int> permille) {
  output_.DrawProgress(
      TerminalProgressLine(text, permille, TerminalColumns(stderr)));
}

void TerminalProgress::OnWaitingForFolder(const std::string& folder,
                                          bool waiting) {
  if (!waiting) return;
  output_.Say("another run is writing into " + folder +
              "; waiting for it to finish");
}

void TerminalProgress::OnWarning(const std::string& text) { output_.Say(text); }

bool TerminalProgress::CancelRequested() { return interrupt_.Interrupted(); }

}  // namespace mirlot
