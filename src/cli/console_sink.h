// Messages of a run as lines on the terminal: completion on standard output,
// everything else on standard error.
#ifndef MIRLOT_CLI_CONSOLE_SINK_H_
#define MIRLOT_CLI_CONSOLE_SINK_H_

#include <cstdio>

#include "runtime/message_sink.h"

namespace mirlot {

class ConsoleSink : public MessageSink {
 public:
  explicit ConsoleSink(std::FILE* out = stdout, std::FILE* err = stderr)
      : out_(out), err_(err) {}

  void Show(std::string_view text, MessageKind kind) override;

 private:
  std::FILE* out_;
  std::FILE* err_;
};

}  // namespace mirlot

#endif  // MIRLOT_CLI_CONSOLE_SINK_H_
