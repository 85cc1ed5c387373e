// The payloads of a table's members read as a stream of runs, in list
// order: a run gathers members whose payloads together fit one block, so
// that many small members fill one block between them, or holds one larger
// payload. Several streams can share the runs out between them, each
// reading every so many, so that members are read on several threads.
#ifndef MIRLOT_PACKING_PAYLOAD_STREAM_H_
#define MIRLOT_PACKING_PAYLOAD_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "packing/block_pipeline.h"
#include "packing/container_layout.h"
#include "packing/entry_table.h"
#include "packing/list_names.h"
#include "runtime/file_system.h"

namespace mirlot {

// The entry each run begins with: up to `most_members` consecutive entries
// whose payloads add up to at most `block_size` bytes, or, where a payload
// is larger, that entry (with the empty payloads just before it). Empty for
// an empty layout.
std::vector<std::size_t> CopyRuns(const ContainerLayout& layout,
                                  std::size_t block_size,
                                  std::size_t most_members);

class PayloadStream {
 public:
  // Reads the runs `lane`, `lane` + `lanes`, `lane` + 2 × `lanes`, … of
  // `runs` (CopyRuns). Members are named by `list` (read again from its
  // start) and taken from `folder`, the list's. `list`, `table`, `layout`
  // and `runs` must outlive the stream.
  PayloadStream(FileSystem& file_system, std::string folder, ReadableFile& list,
                const EntryTable& table, const ContainerLayout& layout,
                std::span<const std::size_t> runs, std::size_t lane = 0,
                std::size_t lanes = 1);

  // Fills `block` with the next payload bytes of the stream's current run,
  // moving on from one member to the next as each is used up. Each member is
  // opened when its turn comes, even one with an empty payload, and closed
  // once its payload is read.
  // On success returns what was placed: block.size() bytes unless the run
  // ends within the block (run_ends), nothing and stream_ends once every
  // member of the stream's runs has been opened and read. On failure
  // returns the failure of opening or reading a member or the list
  // (ListNames::Next), or 62 "Input past end of file" when a member is now
  // shorter than the list stage measured it; the stream then takes no more
  // calls.
  Result<BlockPipeline::Filled> Fill(std::span<char> block);

  // The entry whose member (or name) is being opened or read: after a
  // failure of Fill, the one it failed on.
  std::size_t current_entry() const { return current_entry_; }

  // That entry's member path, resolved; empty when its name could not be
  // read again from the list.
  const std::string& current_path() const { return current_path_; }

 private:
  // The entry after the last of the current run.
  std::size_t RunEnd() const;

  // Opens the next member. On failure returns the open failure.
  Status OpenNextMember();

  FileSystem& file_system_;
  std::string folder_;
  ListNames names_;
  std::size_t names_read_ = 0;
  const EntryTable& table_;
  const ContainerLayout& layout_;
  std::span<const std::size_t> runs_;
  std::size_t lanes_;
  std::size_t run_;  // the current run
  std::size_t next_entry_ = 0;
  std::size_t current_entry_ = 0;
  std::string current_path_;
  std::unique_ptr<ReadableFile> member_;
  std::uint64_t member_offset_ = 0;
  std::uint64_t member_remaining_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_PAYLOAD_STREAM_H_
