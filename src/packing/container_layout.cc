// Where each payload lands in the image, and the image's big-endian table.
#include "packing/container_layout.h"

namespace mirlot {

Result<ContainerLayout> PlanContainer(const EntryTable& table) {
  ContainerLayout layout;
  layout.table_size = kTableEntrySize * table.size();
  std::uint64_t next = layout.table_size;
  layout.places.reserve(table.size());
  for (const ListEntry& entry : table) {
    const std::uint64_t length = entry.payload_length();
    if (length > kMaximumImageSize - next) return FailureCode::kOverflow;
    layout.places.push_back(
        {static_cast<std::uint32_t>(next), static_cast<std::uint32_t>(length)});
    next += length;
  }
  layout.image_size = next;
  return layout;
}

std::string BigEndian32(std::uint32_t value) {
  return {static_cast<char>(value >> 24), static_cast<char>(value >> 16),
          static_cast<char>(value >> 8), static_cast<char>(value)};
}

std::string EncodeTable(const ContainerLayout& layout) {
  std::string table;
  table.reserve(layout.table_size);
  for (const PayloadPlace& place : layout.places) {
    table += BigEndian32(place.offset);
    table += BigEndian32(place.length);
  }
  return table;
}

}  // namespace mirlot
