// Where every payload of a packing run lands in its image.
#ifndef MIRLOT_PACKING_CONTAINER_LAYOUT_H_
#define MIRLOT_PACKING_CONTAINER_LAYOUT_H_

#include <cstdint>
#include <vector>

#include "format/image_table.h"
#include "packing/entry_table.h"
#include "runtime/result.h"

namespace mirlot {

struct ContainerLayout {
  std::vector<TableEntry> places;  // one per entry, list order
  std::uint64_t table_size = 0;
  std::uint64_t image_size = 0;
  std::uint64_t payload_total() const { return image_size - table_size; }
};

// How many entries of `table`, from the first, fit in an image below 2 GiB.
std::size_t EntriesThatFit(const EntryTable& table);

// On success returns the layout of `table`'s image.
// On failure returns 6 "Overflow" when the image would reach 2 GiB.
Result<ContainerLayout> PlanContainer(const EntryTable& table);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_CONTAINER_LAYOUT_H_
