// Reads an image's table in blocks, entry by entry, checking every entry
// against the file's size before use.
#include "reading/image_reader.h"

#include <algorithm>

namespace mirlot {

namespace {

// Entries read per block: 64 KiB of table.
constexpr std::size_t kEntriesPerBlock = 8192;

}  // namespace

ImageReader::ImageReader(ReadableFile& file, std::uint64_t file_size)
    : file_(file), file_size_(file_size) {}

Result<ImageReader> ImageReader::Open(ReadableFile& file) {
  Result<std::uint64_t> size = file.Size();
  if (!size.ok()) return size.status();
  ImageReader reader(file, *size);
  if (!reader.has_first_entry()) return reader;
  char bytes[kTableEntrySize];
  BufferedReader head(file, sizeof bytes);
  if (Status s = head.ReadExactly(bytes, sizeof bytes); !s.ok()) return s;
  reader.first_entry_ = DecodeTableEntry(bytes);
  reader.readable_count_ = std::clamp<std::uint64_t>(
      JudgeTableHead(reader.first_entry_, reader.file_size_).count, 1,
      WholeEntriesIn(reader.file_size_));
  return reader;
}

TableCursor::TableCursor(ImageReader& image)
    : table_(image.file(), static_cast<std::size_t>(std::min<std::uint64_t>(
                               image.readable_count(), kEntriesPerBlock)) *
                               kTableEntrySize),
      count_(image.readable_count()) {}

Result<TableEntry> TableCursor::Next() {
  char bytes[kTableEntrySize];
  if (Status s = table_.ReadExactly(bytes, sizeof bytes); !s.ok()) return s;
  ++next_index_;
  return DecodeTableEntry(bytes);
}

}  // namespace mirlot
