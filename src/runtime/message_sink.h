// Where the messages of a run go: a modal box, a terminal, a test's record.
#ifndef MIRLOT_RUNTIME_MESSAGE_SINK_H_
#define MIRLOT_RUNTIME_MESSAGE_SINK_H_

#include <string_view>

namespace mirlot {

enum class MessageKind {
  kCompletion,  // the run finished its work ("Done")
  kProblem,     // anything else: a refusal, a failure, an empty list
};

class MessageSink {
 public:
  virtual ~MessageSink() = default;

  // Shows `text` (UTF-8) to the user, with `detail` after it when not empty
  // (what more there is to say: which file, where, why), and returns once
  // it has been seen: for a modal box, when the user dismissed it. Cannot
  // fail.
  virtual void Show(std::string_view text, MessageKind kind,
                    std::string_view detail) = 0;

  // Shows `text` with no detail, as above.
  void Show(std::string_view text, MessageKind kind) { Show(text, kind, {}); }
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_MESSAGE_SINK_H_
