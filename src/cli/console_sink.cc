#include "cli/console_sink.h"

namespace mirlot {

void ConsoleSink::Show(std::string_view text, MessageKind kind) {
  std::FILE* stream = kind == MessageKind::kCompletion ? out_ : err_;
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

}  // namespace mirlot
