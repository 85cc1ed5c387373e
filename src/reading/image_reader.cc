// Reads an image's table in blocks, entry by entry, checking every entry
// against the file's size before use.
#include "reading/image_reader.h"

#include <algorithm>

namespace mirlot {

namespace {

// Entries read per block: 64 KiB of table.
constexpr std::size_t kEntriesPerBlock = 8192;

// Reads exactly `length` bytes at `offset`, which the caller knows the file
// holds.
Status ReadExactly(ReadableFile& file, std::uint64_t offset, char* buffer,
                   std::size_t length) {
  while (length > 0) {
    Result<std::size_t> got = file.ReadAt(offset, buffer, length);
    if (!got.ok()) return got.status();
    if (*got == 0) return Status(FailureCode::kInputPastEndOfFile);
    offset += *got;
    buffer += *got;
    length -= *got;
  }
  return Status::Ok();
}

}  // namespace

bool LiesInsideFile(const TableEntry& entry, std::uint64_t file_size) {
  return entry.offset >= 0 && entry.length >= 0 &&
         static_cast<std::uint64_t>(entry.end()) <= file_size;
}

ImageReader::ImageReader(ReadableFile& file, std::uint64_t file_size)
    : file_(file), file_size_(file_size) {}

Result<ImageReader> ImageReader::Open(ReadableFile& file) {
  Result<std::uint64_t> size = file.Size();
  if (!size.ok()) return size.status();
  ImageReader reader(file, *size);
  if (!reader.has_first_entry()) return reader;
  char bytes[kTableEntrySize];
  if (Status s = ReadExactly(file, 0, bytes, sizeof bytes); !s.ok()) return s;
  reader.first_entry_ = DecodeTableEntry(bytes);
  const std::uint64_t declared =
      reader.first_entry_.offset > 0
          ? static_cast<std::uint64_t>(reader.first_entry_.offset) /
                kTableEntrySize
          : 0;
  reader.readable_count_ = std::clamp<std::uint64_t>(
      declared, 1, reader.file_size_ / kTableEntrySize);
  return reader;
}

TableCursor::TableCursor(ImageReader& image)
    : file_(image.file()), count_(image.readable_count()) {}

Result<TableEntry> TableCursor::Next() {
  if (block_position_ == block_filled_) {
    if (Status s = Fill(); !s.ok()) return s;
  }
  const TableEntry entry = DecodeTableEntry(block_.data() + block_position_);
  block_position_ += kTableEntrySize;
  ++next_index_;
  return entry;
}

Status TableCursor::Fill() {
  const std::uint64_t entries =
      std::min<std::uint64_t>(count_ - next_index_, kEntriesPerBlock);
  // Sized by the entries still to come, so a small table costs little.
  if (block_.empty()) {
    block_.resize(static_cast<std::size_t>(entries) * kTableEntrySize);
  }
  block_filled_ = static_cast<std::size_t>(entries) * kTableEntrySize;
  block_position_ = 0;
  return ReadExactly(file_, next_index_ * kTableEntrySize, block_.data(),
                     block_filled_);
}

}  // namespace mirlot
