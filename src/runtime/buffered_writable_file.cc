#include "runtime/buffered_writable_file.h"

#include <cstddef>

namespace mirlot {

namespace {
constexpr std::size_t kWriteBufferSize = 256 * 1024;
}  // namespace

BufferedWritableFile::BufferedWritableFile() {
  buffer_.reserve(kWriteBufferSize);
}

Status BufferedWritableFile::Append(std::string_view data) {
  if (buffer_.size() + data.size() <= kWriteBufferSize) {
    buffer_.append(data);
    return Status::Ok();
  }
  if (Status s = Flush(); !s.ok()) return s;
  if (data.size() < kWriteBufferSize) {
    buffer_.append(data);
    return Status::Ok();
  }
  return WriteAll(data);
}

Status BufferedWritableFile::Close() {
  Status flushed = Flush();
  Status finished = Finish(flushed.ok());
  return flushed.ok() ? finished : flushed;
}

Status BufferedWritableFile::Flush() {
  Status status = WriteAll(buffer_);
  buffer_.clear();
  return status;
}

}  // namespace mirlot
