// The payloads of a table's members read as one continuous stream, in list
// order, so that many small members fill one block between them.
#ifndef MIRLOT_PACKING_PAYLOAD_STREAM_H_
#define MIRLOT_PACKING_PAYLOAD_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "packing/container_layout.h"
#include "packing/entry_table.h"
#include "packing/list_names.h"
#include "runtime/file_system.h"

namespace mirlot {

class PayloadStream {
 public:
  // Members are named by `list` (read again from its start) and taken from
  // `folder`, the list's. `list`, `table` and `layout` must outlive the
  // stream.
  PayloadStream(FileSystem& file_system, std::string folder, ReadableFile& list,
                const EntryTable& table, const ContainerLayout& layout);

  // Fills `block` with the next payload bytes, moving on from one member to
  // the next as each is used up. Each member is opened when its turn comes,
  // even one with an empty payload, and closed once its payload is read.
  // On success returns how many bytes were placed: block.size() unless the
  // stream ends within the block, 0 once every member has been opened and
  // read. On failure returns the failure of opening or reading a member or
  // the list (ListNames::Next), or 62 "Input past end of file" when a member
  // is now shorter than the list stage measured it; the stream then takes no
  // more calls.
  Result<std::size_t> Fill(std::span<char> block);

  // The entry whose member is being opened or read: after a failure of
  // Fill, the one it failed on.
  std::size_t current_entry() const { return current_entry_; }

  // That entry's member path, resolved; empty when its name could not be
  // read again from the list.
  const std::string& current_path() const { return current_path_; }

 private:
  // Opens the next member. On failure returns the open failure.
  Status OpenNextMember();

  FileSystem& file_system_;
  std::string folder_;
  ListNames names_;
  const EntryTable& table_;
  const ContainerLayout& layout_;
  std::size_t next_entry_ = 0;
  std::size_t current_entry_ = 0;
  std::string current_path_;
  std::unique_ptr<ReadableFile> member_;
  std::uint64_t member_offset_ = 0;
  std::uint64_t member_remaining_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_PAYLOAD_STREAM_H_
