// The table at the head of an image: for each entry k, in list order, its
// payload's offset at byte 8k and its payload's length at byte 8k+4, both
// 32-bit big-endian signed values. The payloads follow the table back to
// back; there is no magic number or count: the first offset, where the
// first payload starts, tells how long the table is.
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

// How many whole table entries a file of `file_size` bytes could hold; an
// image of none has no first entry.
inline std::uint64_t WholeEntriesIn(std::uint64_t file_size) {
  return file_size / kTableEntrySize;
}

// What the first entry of an image declares about its table. The table is
// sound when the first offset is positive, a multiple of 8 and at most the
// file's size; it then holds offset / 8 entries.
struct TableHead {
  // Whether the offset is above 0; when it is not, the others are false.
  bool positive = false;
  bool multiple = false;  // a multiple of 8
  bool inside = false;    // at most the file's size
  // The entries declared: offset / 8, or 0 when the offset is not positive.
  std::uint64_t count = 0;

  bool sound() const { return positive && multiple && inside; }
};

// Judges `first`, the first entry of an image of `file_size` bytes.
TableHead JudgeTableHead(const TableEntry& first, std::uint64_t file_size);

// True when the payload of `entry` lies wholly inside a file of `file_size`
// bytes: a non-negative offset and length, ending at or before the end.
bool LiesInsideFile(const TableEntry& entry, std::uint64_t file_size);

}  // namespace mirlot

#endif  // MIRLOT_FORMAT_IMAGE_TABLE_H_
