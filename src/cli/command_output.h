// What a command of `mirlot` says to the user: its results on standard
// output, its notes behind "mirlot COMMAND: ", every line made safe for the
// terminal and the progress line erased before it; and the exit status a
// failed write to standard output turns into.
#ifndef MIRLOT_CLI_COMMAND_OUTPUT_H_
#define MIRLOT_CLI_COMMAND_OUTPUT_H_

#include <cstdio>
#include <string>
#include <string_view>

#include "runtime/message_sink.h"

namespace mirlot {

class CommandOutput : public MessageSink {
 public:
  // The output of the command named `command` ("pack").
  explicit CommandOutput(std::string_view command);
  ~CommandOutput() override { EraseProgress(); }

  // Writes TerminalText(`text`) as one line on `stream`. Cannot fail: a
  // failed write to standard output is left for Finish.
  void Print(std::string_view text, std::FILE* stream = stdout);
  // Prints "mirlot COMMAND: " and `text` on `stream`, as Print does.
  void Say(std::string_view text, std::FILE* stream = stderr);
  // Writes `bytes` to standard output as they are: a document for programs
  // (JSON), not text for a terminal. Cannot fail, as Print.
  void Write(std::string_view bytes);

  // A run's message: `text` printed on standard output for a completion,
  // else on standard error, then each line of `detail` said.
  using MessageSink::Show;
  void Show(std::string_view text, MessageKind kind,
            std::string_view detail) override;

  // Draws `line` on standard error in place of the progress line before
  // it, to be erased before the next line is written. Cannot fail.
  void DrawProgress(std::string_view line);
  bool progress_drawn() const { return progress_drawn_; }

  // On success (standard output took every write) returns `status`. On
  // failure says "cannot write to standard output" and returns kExitUsage.
  int Finish(int status);

 private:
  void EraseProgress();

  std::string prefix_;
  bool progress_drawn_ = false;
};

}  // namespace mirlot

#endif  // MIRLOT_CLI_COMMAND_OUTPUT_H_
