// The members' payloads read run by run as one stream.
#include "packing/payload_stream.h"

#include <algorithm>

namespace mirlot {

std::vector<std::size_t> CopyRuns(const ContainerLayout& layout,
                                  std::size_t block_size,
                                  std::size_t most_members) {
  std::vector<std::size_t> runs;
  std::uint64_t run_bytes = 0;
  for (std::size_t i = 0; i < layout.places.size(); ++i) {
    const auto length = static_cast<std::uint64_t>(layout.places[i].length);
    if (runs.empty() || i - runs.back() == most_members ||
        (run_bytes > 0 && run_bytes + length > block_size)) {
      runs.push_back(i);
      run_bytes = 0;
    }
    run_bytes += length;
  }
  return runs;
}

PayloadStream::PayloadStream(FileSystem& file_system, std::string folder,
                             ReadableFile& list, const EntryTable& table,
                             const ContainerLayout& layout,
                             std::span<const std::size_t> runs,
                             std::size_t lane, std::size_t lanes)
    : file_system_(file_system),
      folder_(std::move(folder)),
      names_(list, table),
      table_(table),
      layout_(layout),
      runs_(runs),
      lanes_(lanes),
      run_(lane) {
  if (run_ < runs_.size()) next_entry_ = runs_[run_];
}

std::size_t PayloadStream::RunEnd() const {
  return run_ + 1 < runs_.size() ? runs_[run_ + 1] : table_.size();
}

Status PayloadStream::OpenNextMember() {
  current_path_.clear();
  // The names of the runs other streams read are passed over.
  for (; names_read_ <= next_entry_; ++names_read_) {
    current_entry_ = names_read_;
    Result<std::string> name = names_.Next();
    if (!name.ok()) return name.status();
    if (names_read_ == next_entry_) current_path_ = MemberPath(folder_, *name);
  }
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

Result<BlockPipeline::Filled> PayloadStream::Fill(std::span<char> block) {
  if (run_ >= runs_.size()) return BlockPipeline::Filled{.stream_ends = true};
  std::size_t placed = 0;
  while (placed < block.size() && (member_ || next_entry_ < RunEnd())) {
    if (!member_) {
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
  const bool run_ends = !member_ && next_entry_ == RunEnd();
  if (run_ends) {
    run_ += lanes_;
    if (run_ < runs_.size()) next_entry_ = runs_[run_];
  }
  return BlockPipeline::Filled{.size = placed, .run_ends = run_ends};
}

}  // namespace mirlot
