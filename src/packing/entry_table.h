// The members a list names, in list order.
#ifndef MIRLOT_PACKING_ENTRY_TABLE_H_
#define MIRLOT_PACKING_ENTRY_TABLE_H_

#include <cstdint>
#include <string>
#include <vector>

#include "format/list_field_reader.h"

namespace mirlot {

// The table holds at most this many entries; one more field is a failure.
inline constexpr std::size_t kTableCapacity = 1001;

// Bytes dropped from the front and the back of every member.
inline constexpr std::uint64_t kLeadingTrim = 50;
inline constexpr std::uint64_t kTrailingTrim = 4;
inline constexpr std::uint64_t kMinimumMemberSize =
    kLeadingTrim + kTrailingTrim;

// Neither the member's name nor its path is kept: passes that need the
// name read it again from the list (ListNames), so that memory stays
// bounded whatever the names' lengths.
struct ListEntry {
  std::uint64_t member_size = 0;  // at least kMinimumMemberSize
  // NameKey of the list field without leading and trailing spaces.
  std::uint64_t name_key = 0;
  ListPlace place;  // where the list names it

  std::uint64_t payload_length() const {
    return member_size - kMinimumMemberSize;
  }
};

using EntryTable = std::vector<ListEntry>;

// The path of the member named `name` (a trimmed field), for a list in
// `folder`.
std::string MemberPath(const std::string& folder, const std::string& name);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_ENTRY_TABLE_H_
