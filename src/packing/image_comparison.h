// Compares the payloads a run would write for a list now with those of an
// earlier image, entry by entry, as the run's copy hands them over.
#ifndef MIRLOT_PACKING_IMAGE_COMPARISON_H_
#define MIRLOT_PACKING_IMAGE_COMPARISON_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "packing/container_layout.h"
#include "packing/difference_sink.h"
#include "packing/entry_table.h"
#include "packing/list_names.h"
#include "runtime/buffered_reader.h"
#include "runtime/file_system.h"

namespace mirlot {

// How a difference names an entry: where it stands in the list, "list
// line 5, field 1: ".
std::string EntryText(const ListEntry& entry);

// Takes the payloads the list gives now, as the copy of a run appends
// them, and compares each with its entry's payload in the image, which it
// reads alongside in blocks of 1 MiB, and each entry's name from the list
// as its turn comes. Each difference goes to the sink as it is found, in
// entry order.
class ImageComparison : public WritableFile {
 public:
  // `table` and `layout` are what the list gives now, `names` its names
  // from the first; `image`, named `path`, is the earlier image. All must
  // outlive the comparison.
  ImageComparison(const EntryTable& table, const ContainerLayout& layout,
                  ListNames& names, ReadableFile& image, std::string path,
                  DifferenceSink& differences);

  // Reads the image's size and table; tells a count that differs.
  // On success the payloads may be appended. On failure returns the read
  // failure of the image or the name's (ListNames::Next), its description
  // led by the path.
  Status Start();
  // Compares `bytes`, the next of the payloads the list gives now.
  // On success they were compared. On failure returns the image's read
  // failure, its description led by the path, or the name's.
  Status Append(std::string_view bytes) override;
  // Nothing to write out. Always succeeds.
  Status Close() override { return Status::Ok(); }
  const std::string& name() const override { return path_; }
  // Once every payload was appended: tells the entries not reached and
  // bytes after the last payload. On failure returns the read failure.
  Status Finish();

 private:
  Status ImageFailure(const Status& failure) const {
    return failure.About(path_);
  }
  Status StartEntry();
  bool TellTableDifference(const TableEntry& got);
  Status NextEntry();
  Status SeekImage(std::uint64_t position);
  // Reads `expected` from the image, comparing while `comparing_`.
  Status ReadImage(std::string_view expected);

  const EntryTable& table_;
  const ContainerLayout& layout_;
  const std::string expected_table_;
  ListNames& names_;
  ReadableFile& image_;
  const std::string path_;
  DifferenceSink& differences_;
  std::uint64_t image_size_ = 0;
  std::optional<std::uint64_t> image_count_;  // unknown without a sound table
  std::string image_table_;  // the entries the list's entries are held to
  std::size_t entry_ = 0;    // the entry whose payload comes next
  std::string name_;         // and its name
  std::uint64_t done_ = 0;   // payload bytes of it taken so far
  bool reading_ = false;     // its payload lies in the image, read alongside
  bool comparing_ = false;   // and no byte of it differed yet
  std::optional<BufferedReader> reader_;
  std::uint64_t reader_position_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_IMAGE_COMPARISON_H_
