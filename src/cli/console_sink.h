// Messages of a run as lines on the terminal: completion on standard output,
// everything else on standard error, each line of a detail after its message
// there too, behind the command's prefix ("mirlot pack: ").
#ifndef MIRLOT_CLI_CONSOLE_SINK_H_
#define MIRLOT_CLI_CONSOLE_SINK_H_

#include <cstdio>
#include <string>
#include <utility>

#include "runtime/message_sink.h"

namespace mirlot {

class ConsoleSink : public MessageSink {
 public:
  explicit ConsoleSink(std::string prefix, std::FILE* out = stdout,
                       std::FILE* err = stderr)
      : prefix_(std::move(prefix)), out_(out), err_(err) {}

  using MessageSink::Show;
  void Show(std::string_view text, MessageKind kind,
            std::string_view detail) override;

 private:
  std::string prefix_;
  std::FILE* out_;
  std::FILE* err_;
};

}  // namespace mirlot

#endif  // MIRLOT_CLI_CONSOLE_SINK_H_
