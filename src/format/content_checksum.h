// A 64-bit checksum of a file's content (XXH3), which tells the new outputs
// of a commit from the earlier ones by what they hold, whatever device or
// file number a copy or a remount gives them.
#ifndef MIRLOT_FORMAT_CONTENT_CHECKSUM_H_
#define MIRLOT_FORMAT_CONTENT_CHECKSUM_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// The checksum of bytes given piece by piece: equal for equal bytes however
// they are split.
class ContentChecksum {
 public:
  ContentChecksum();

  void Add(std::string_view bytes);

  // The checksum of everything added so far.
  std::uint64_t Value() const;

 private:
  // XXH3's streaming state, kept here so that its header stays in the .cc.
  alignas(64) unsigned char state_[576];
};

// The checksum of `text` in one piece.
std::uint64_t ChecksumOf(std::string_view text);

// Reads `file` from its start to its end.
// On success returns the checksum of its content and how many bytes it
// holds. On failure returns the read failure, or 7 when no buffer can be
// had.
struct FileContent {
  std::uint64_t size = 0;
  std::uint64_t checksum = 0;
};
Result<FileContent> ReadContentChecksum(ReadableFile& file);

}  // namespace mirlot

#endif  // MIRLOT_FORMAT_CONTENT_CHECKSUM_H_
