// Reads the members' names again, checking each against the entry table.
#include "packing/list_names.h"

#include "runtime/text.h"

namespace mirlot {

std::uint64_t NameKey(std::string_view name) {
  // 64-bit FNV-1a.
  std::uint64_t key = 0xcbf29ce484222325u;
  for (const char c : name) {
    key = (key ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  }
  return key;
}

ListNames::ListNames(ReadableFile& list, const EntryTable& table,
                     std::string list_path)
    : reader_(list), table_(table), list_path_(std::move(list_path)) {}

Result<std::string> ListNames::At(ReadableFile& list, const EntryTable& table,
                                  std::size_t index) {
  ListNames names(list, table);
  Result<std::string> name = names.Next();
  for (std::size_t k = 0; k < index && name.ok(); ++k) name = names.Next();
  return name;
}

Result<std::string> ListNames::Next() {
  Result<std::string> field = reader_.ReadField();
  if (!field.ok()) return Described(field.status());
  std::string name = TrimSpaces(*field);
  if (next_ >= table_.size() || NameKey(name) != table_[next_].name_key) {
    return Described(Status(FailureCode::kPathFileAccessError));
  }
  ++next_;
  return name;
}

Status ListNames::Described(const Status& failure) const {
  return list_path_.empty() ? failure : failure.About(list_path_);
}

}  // namespace mirlot
