// Where every payload lands in the container image, and the image's table.
//
// Image format: for each entry k (list order) the table holds at byte 8k its
// payload's offset and at byte 8k+4 its payload's length, both as 32-bit
// big-endian values; the payloads follow the table back to back.
#ifndef MIRLOT_PACKING_CONTAINER_LAYOUT_H_
#define MIRLOT_PACKING_CONTAINER_LAYOUT_H_

#include <cstdint>
#include <string>
#include <vector>

#include "packing/entry_table.h"
#include "runtime/result.h"

namespace mirlot {

inline constexpr std::size_t kTableEntrySize = 8;
// Offsets and lengths are signed 32-bit values: an image must stay below
// 2 GiB.
inline constexpr std::uint64_t kMaximumImageSize = 0x7FFFFFFF;

struct PayloadPlace {
  std::uint32_t offset = 0;
  std::uint32_t length = 0;
};

struct ContainerLayout {
  std::vector<PayloadPlace> places;  // one per entry, list order
  std::uint64_t table_size = 0;
  std::uint64_t image_size = 0;
  std::uint64_t payload_total() const { return image_size - table_size; }
};

// On success returns the layout of `table`'s image.
// On failure returns 6 "Overflow" when the image would reach 2 GiB.
Result<ContainerLayout> PlanContainer(const EntryTable& table);

// The four big-endian bytes of `value`.
std::string BigEndian32(std::uint32_t value);

// The image's table: 8 bytes per entry.
std::string EncodeTable(const ContainerLayout& layout);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_CONTAINER_LAYOUT_H_
