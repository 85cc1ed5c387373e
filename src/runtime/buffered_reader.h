// Reads a file from front to back through a buffer, for readers that look
// at a few bytes at a time: the list reader, the report reader and the
// image's table cursor.
#ifndef MIRLOT_RUNTIME_BUFFERED_READER_H_
#define MIRLOT_RUNTIME_BUFFERED_READER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

class BufferedReader {
 public:
  // Reads `file` from byte `start` on, up to `buffer_size` bytes (at least
  // 1) per read. The buffer is allocated at the first read. The file must
  // outlive the reader.
  BufferedReader(ReadableFile& file, std::size_t buffer_size,
                 std::uint64_t start = 0);

  // On success returns the bytes read ahead and not yet consumed, reading
  // more when none are left; empty only at the end of the file. On failure
  // returns the read failure.
  Result<std::string_view> Peek();

  // The file offset of the next byte not yet consumed.
  std::uint64_t offset() const { return file_offset_ - (filled_ - position_); }

  // Consumes the first `count` bytes of what Peek() returned last.
  void Consume(std::size_t count) { position_ += count; }

  // Reads the next `length` bytes into `buffer`.
  // On success all of them are there. On failure returns the read failure,
  // or 62 "Input past end of file" when the file ends first.
  Status ReadExactly(char* buffer, std::size_t length);

 private:
  ReadableFile& file_;
  std::vector<char> buffer_;
  std::size_t buffer_size_;
  std::size_t position_ = 0;       // next unconsumed byte in buffer_
  std::size_t filled_ = 0;         // bytes of buffer_ holding data
  std::uint64_t file_offset_ = 0;  // file offset just past buffer_'s data
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_BUFFERED_READER_H_
