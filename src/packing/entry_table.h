// The members a list names, in list order.
#ifndef MIRLOT_PACKING_ENTRY_TABLE_H_
#define MIRLOT_PACKING_ENTRY_TABLE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "runtime/list_field_reader.h"

namespace mirlot {

// The table holds at most this many entries; one more field is a failure.
inline constexpr std::size_t kTableCapacity = 1001;

// Bytes dropped from the front and the back of every member.
inline constexpr std::uint64_t kLeadingTrim = 50;
inline constexpr std::uint64_t kTrailingTrim = 4;
inline constexpr std::uint64_t kMinimumMemberSize =
    kLeadingTrim + kTrailingTrim;

// The member's path is not kept: MemberPath makes it when needed, so that a
// table of a thousand names near the longest path takes half the memory.
struct ListEntry {
  std::string name;  // the list field without leading and trailing spaces
  std::uint64_t member_size = 0;  // at least kMinimumMemberSize
  ListPlace place;                // where the list names it

  std::uint64_t payload_length() const {
    return member_size - kMinimumMemberSize;
  }
};

using EntryTable = std::vector<ListEntry>;

// The path of the member `entry` names, for a list in `folder`.
std::string MemberPath(const std::string& folder, const ListEntry& entry);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_ENTRY_TABLE_H_
