// Reads the table at the head of a container image, entry by entry, without
// trusting anything it says: only table slots that lie wholly inside the file
// are read, in blocks of a fixed size.
#ifndef MIRLOT_READING_IMAGE_READER_H_
#define MIRLOT_READING_IMAGE_READER_H_

#include <cstdint>

#include "format/image_table.h"
#include "runtime/buffered_reader.h"
#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

class ImageReader {
 public:
  // Measures `file` and reads its first table entry. The file must outlive
  // the reader and keep its size while it is read.
  // On success returns the reader. On failure returns the read failure, or
  // 62 "Input past end of file" when the file shrank while being read.
  static Result<ImageReader> Open(ReadableFile& file);

  std::uint64_t file_size() const { return file_size_; }

  // Whether the file holds one whole table entry; when not, it has no entries.
  bool has_first_entry() const { return WholeEntriesIn(file_size_) > 0; }
  // The first entry; only meaningful when has_first_entry().
  const TableEntry& first_entry() const { return first_entry_; }

  // How many entries can be read: those the first offset declares (at least
  // the first one), cut to the table slots that lie wholly inside the file.
  std::uint64_t readable_count() const { return readable_count_; }

  ReadableFile& file() { return file_; }

 private:
  ImageReader(ReadableFile& file, std::uint64_t file_size);

  ReadableFile& file_;
  std::uint64_t file_size_;
  TableEntry first_entry_;
  std::uint64_t readable_count_ = 0;
};

// Reads the readable entries of an image in order, a block of the table at
// a time (up to 64 KiB, less for a smaller table); several cursors may read
// one image independently.
class TableCursor {
 public:
  explicit TableCursor(ImageReader& image);

  bool AtEnd() const { return next_index_ == count_; }
  // The 0-based index of the entry Next() returns.
  std::uint64_t next_index() const { return next_index_; }

  // Must not be called AtEnd().
  // On success returns the next entry. On failure returns the read failure,
  // or 62 "Input past end of file" when the file shrank meanwhile.
  Result<TableEntry> Next();

 private:
  BufferedReader table_;
  std::uint64_t count_;
  std::uint64_t next_index_ = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_READING_IMAGE_READER_H_
