// What the packing tests share: member files whose bytes show where they
// came from, a sink that records the messages a run shows, and a run that
// packs a list for a test to work on its outputs.
#ifndef MIRLOT_TESTS_SUPPORT_PACKING_FIXTURES_H_
#define MIRLOT_TESTS_SUPPORT_PACKING_FIXTURES_H_

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "packing/packing_run.h"
#include "runtime/message_sink.h"

namespace mirlot {

// A member file of `size` bytes: 50 bytes 'H', then `payload` (cut to the
// payload's room), filler that changes with the position, and "TAIL".
inline std::string MemberBytes(std::size_t size,
                               const std::string& payload = "") {
  std::string bytes(size, 'H');
  if (size < 54) return bytes;
  for (std::size_t i = 50; i < size; ++i) {
    bytes[i] = static_cast<char>('a' + i % 23);
  }
  bytes.replace(size - 4, 4, "TAIL");
  const std::size_t room = std::min(payload.size(), size - 54);
  bytes.replace(50, room, payload, 0, room);
  return bytes;
}

class RecordingSink : public MessageSink {
 public:
  void Show(std::string_view text, MessageKind, std::string_view) override {
    shown.emplace_back(text);
  }
  std::vector<std::string> shown;
};

// Packs the list at `list_path` over `file_system`, its messages unseen.
inline RunOutcome PackList(FileSystem& file_system,
                           const std::string& list_path) {
  RecordingSink sink;
  RunObserver observer;
  return RunPacking({list_path}, file_system, sink, observer);
}

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_PACKING_FIXTURES_H_
