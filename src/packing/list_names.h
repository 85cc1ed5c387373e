// The members' names read again from the open list file, in list order, for
// a pass over the entries that needs them (the report, the copy, a
// verification): the entry
// table keeps no names, so that memory stays bounded however long they are
// (a thousand names of up to 98,301 bytes each on Windows).
#ifndef MIRLOT_PACKING_LIST_NAMES_H_
#define MIRLOT_PACKING_LIST_NAMES_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "format/list_field_reader.h"
#include "packing/entry_table.h"
#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// Tells a name from another with all but certainty, in 8 bytes: what the
// entry table keeps of each name.
std::uint64_t NameKey(std::string_view name);

class ListNames {
 public:
  // Reads `list` from its start; `list` and `table`, which the list stage
  // made of it, must outlive this. A failure's description is led by
  // `list_path` when one is given.
  ListNames(ReadableFile& list, const EntryTable& table,
            std::string list_path = {});

  // On success returns the next entry's name, the list field without its
  // leading and trailing spaces. On failure returns the read failure, or 75
  // when the list no longer holds the name the list stage read there (it
  // was changed during the run).
  Result<std::string> Next();

  // On success returns the name of entry `index`, read from the list's
  // start. On failure returns what Next returned on the way.
  static Result<std::string> At(ReadableFile& list, const EntryTable& table,
                                std::size_t index);

 private:
  // `failure`, led by the list's path when there is one.
  Status Described(const Status& failure) const;

  ListFieldReader reader_;
  const EntryTable& table_;
  const std::string list_path_;
  std::size_t next_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_LIST_NAMES_H_
