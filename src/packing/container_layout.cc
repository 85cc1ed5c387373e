// Where each payload lands in the image.
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
        {static_cast<std::int64_t>(next), static_cast<std::int64_t>(length)});
    next += length;
  }
  layout.image_size = next;
  return layout;
}

}  // namespace mirlot
