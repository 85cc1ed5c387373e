// The members' payloads read one after another as one continuous stream.
#include "packing/payload_stream.h"

#include <algorithm>

namespace mirlot {

PayloadStream::PayloadStream(FileSystem& file_system, std::string folder,
                             ReadableFile& list, const EntryTable& table,
                             const ContainerLayout& layout)
    : file_system_(file_system),
      folder_(std::move(folder)),
      names_(list, table),
      table_(table),
      layout_(layout) {}

Status PayloadStream::OpenNextMember() {
  current_entry_ = next_entry_;
  current_path_.clear();
  Result<std::string> name = names_.Next();
  if (!name.ok()) return name.status();
  current_path_ = MemberPath(folder_, *name);
  Result<std::unique_ptr<ReadableFile>> member =
      file_system_.OpenForRead(current_path_);
  if (!member.ok()) return member.status();
  // A member cut short since the list stage measured it, even by its tail
  // alone, no longer has the payload the table announces.
  Result<std::uint64_t> size = (*member)->Size();
  if (!size.ok()) return size.status();
  if (*size < table_[next_entry_].member_size) {
    return Status(FailureCode::kInputPastEndOfFile);
  }
  member_ = std::move(*member);
  member_offset_ = kLeadingTrim;
  member_remaining_ = layout_.places[next_entry_].length;
  ++next_entry_;
  return Status::Ok();
}

Result<std::size_t> PayloadStream::Fill(std::span<char> block) {
  std::size_t placed = 0;
  while (placed < block.size()) {
    if (!member_) {
      if (next_entry_ == table_.size()) break;
      if (Status s = OpenNextMember(); !s.ok()) return s;
    }
    const std::size_t want = static_cast<std::size_t>(
        std::min<std::uint64_t>(member_remaining_, block.size() - placed));
    if (want > 0) {
      Result<std::size_t> got =
          member_->ReadAt(member_offset_, block.data() + placed, want);
      if (!got.ok()) return got.status();
      if (*got == 0) return FailureCode::kInputPastEndOfFile;
      placed += *got;
      member_offset_ += *got;
      member_remaining_ -= *got;
    }
    if (member_remaining_ == 0) member_.reset();
  }
  return placed;
}

}  // namespace mirlot
