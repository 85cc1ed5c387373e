// The table at the head of an image: for each entry k, in list order, its
// payload's offset at byte 8k and its payload's length at byte 8k+4, both
// 32-bit big-endian signed values. The payloads follow the table back to
// back; there is no magic number or count.
#ifndef MIRLOT_FORMAT_IMAGE_TABLE_H_
#define MIRLOT_FORMAT_IMAGE_TABLE_H_

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace mirlot {

inline constexpr std::size_t kTableEntrySize = 8;
// Offsets and lengths are signed 32-bit values: an image must stay below
// 2 GiB.
inline constexpr std::uint64_t kMaximumImageSize = 0x7FFFFFFF;

// One table entry. A written entry lies in 0 .. kMaximumImageSize; a read
// one may hold anything the 32-bit fields can, negative values included.
struct TableEntry {
  std::int64_t offset = 0;
  std::int64_t length = 0;

  std::int64_t end() const { return offset + length; }
  friend bool operator==(const TableEntry&, const TableEntry&) = default;
};

// The table bytes of `entries`, each of which must lie in 0 ..
// kMaximumImageSize: 8 bytes per entry.
std::string EncodeTable(std::span<const TableEntry> entries);

// The table entry encoded in the 8 bytes at `bytes`.
TableEntry DecodeTableEntry(const char* bytes);

}  // namespace mirlot

#endif  // MIRLOT_FORMAT_IMAGE_TABLE_H_
