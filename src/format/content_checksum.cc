// The content checksum (XXH3), whole or piece by piece.
#include "format/content_checksum.h"

#include <memory>
#include <new>

// Compiled in whole from Debian's libxxhash-dev, so that nothing of it is
// needed when the program runs.
#define XXH_STATIC_LINKING_ONLY
#define XXH_IMPLEMENTATION
#include <xxhash.h>

namespace mirlot {

namespace {

// Large enough that reading a file costs about what its disk does.
constexpr std::size_t kReadBlock = 1024 * 1024;

static_assert(sizeof(XXH3_state_t) == 576 && alignof(XXH3_state_t) <= 64);

XXH3_state_t* State(unsigned char* bytes) {
  return std::launder(reinterpret_cast<XXH3_state_t*>(bytes));
}

}  // namespace

ContentChecksum::ContentChecksum() {
  XXH3_state_t* state = new (state_) XXH3_state_t;
  (void)XXH3_64bits_reset(state);
}

void ContentChecksum::Add(std::string_view bytes) {
  (void)XXH3_64bits_update(State(state_), bytes.data(), bytes.size());
}

std::uint64_t ContentChecksum::Value() const {
  return XXH3_64bits_digest(
      std::launder(reinterpret_cast<const XXH3_state_t*>(state_)));
}

std::uint64_t ChecksumOf(std::string_view text) {
  return XXH3_64bits(text.data(), text.size());
}

Result<FileContent> ReadContentChecksum(ReadableFile& file) {
  std::unique_ptr<char[]> block(new (std::nothrow) char[kReadBlock]);
  if (block == nullptr) return FailureCode::kOutOfMemory;
  ContentChecksum checksum;
  FileContent content;
  for (;;) {
    Result<std::size_t> got =
        file.ReadAt(content.size, block.get(), kReadBlock);
    if (!got.ok()) return got.status();
    if (*got == 0) break;
    checksum.Add({block.get(), *got});
    content.size += *got;
  }
  content.checksum = checksum.Value();
  return content;
}

}  // namespace mirlot
