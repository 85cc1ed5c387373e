#include "cli/console_sink.h"

#include <algorithm>

#include "runtime/console.h"

namespace mirlot {

void ConsoleSink::Show(std::string_view text, MessageKind kind,
                       std::string_view detail) {
  std::FILE* stream = kind == MessageKind::kCompletion ? out_ : err_;
  WriteLine(stream, text);
  while (!detail.empty()) {
    const std::size_t end = std::min(detail.find('\n'), detail.size());
    WriteLine(err_, prefix_ + ": " + std::string(detail.substr(0, end)));
    detail.remove_prefix(std::min(end + 1, detail.size()));
  }
}

}  // namespace mirlot
