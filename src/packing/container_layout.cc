// Where each payload lands in the image.
#include "packing/container_layout.h"

namespace mirlot {

std::size_t EntriesThatFit(const EntryTable& table) {
  std::uint64_t next = kTableEntrySize * table.size();
  for (std::size_t k = 0; k < table.size(); ++k) {
    if (table[k].payload_length() > kMaximumImageSize - next) return k;
    next += table[k].payload_length();
  }
  return table.size();
}

Result<ContainerLayout> PlanContainer(const EntryTable& table) {
  if (EntriesThatFit(table) < table.size()) return FailureCode::kOverflow;
  ContainerLayout layout;
  layout.table_size = kTableEntrySize * table.size();
  std::uint64_t next = layout.table_size;
  layout.places.reserve(table.size());
  for (const ListEntry& entry : table) {
    const std::uint64_t length = entry.payload_length();
    layout.places.push_back(
        {static_cast<std::int64_t>(next), static_cast<std::int64_t>(length)});
    next += length;
  }
  layout.image_size = next;
  return layout;
}

}  // namespace mirlot
