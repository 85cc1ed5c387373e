#include "cli/command_output.h"

#include <algorithm>

#include "cli/commands.h"
#include "cli/output_text.h"
#include "runtime/console.h"

namespace mirlot {

CommandOutput::CommandOutput(std::string_view command)
    : prefix_("mirlot " + std::string(command) + ": ") {}

void CommandOutput::Print(std::string_view text, std::FILE* stream) {
  EraseProgress();
  WriteLine(stream, TerminalText(text));
}

void CommandOutput::Say(std::string_view text, std::FILE* stream) {
  Print(prefix_ + std::string(text), stream);
}

void CommandOutput::Write(std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
}

void CommandOutput::Show(std::string_view text, MessageKind kind,
                         std::string_view detail) {
  Print(text, kind == MessageKind::kCompletion ? stdout : stderr);
  // One line: a line end that a name brought into it is shown escaped.
  if (!detail.empty()) Say(detail);
}

void CommandOutput::DrawProgress(std::string_view line) {
  std::fprintf(stderr, "\r%.*s\033[K", static_cast<int>(line.size()),
               line.data());
  std::fflush(stderr);
  progress_drawn_ = true;
}

void CommandOutput::EraseProgress() {
  if (!progress_drawn_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
  progress_drawn_ = false;
}

int CommandOutput::Finish(int status) {
  if (std::fflush(stdout) == 0 && std::ferror(stdout) == 0) return status;
  Say("cannot write to standard output");
  return kExitUsage;
}

}  // namespace mirlot
