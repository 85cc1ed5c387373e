#include "cli/console_sink.h"

#include "runtime/console.h"

namespace mirlot {

void ConsoleSink::Show(std::string_view text, MessageKind kind) {
  std::FILE* stream = kind == MessageKind::kCompletion ? out_ : err_;
  WriteLine(stream, text);
}

}  // namespace mirlot
