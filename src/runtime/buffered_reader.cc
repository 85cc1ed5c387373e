// Sequential reading through one buffer.
#include "runtime/buffered_reader.h"

#include <algorithm>
#include <cstring>

namespace mirlot {

BufferedReader::BufferedReader(ReadableFile& file, std::size_t buffer_size,
                               std::uint64_t start)
    : file_(file),
      buffer_size_(std::max<std::size_t>(buffer_size, 1)),
      file_offset_(start) {}

Result<std::string_view> BufferedReader::Peek() {
  if (position_ == filled_) {
    if (buffer_.empty()) buffer_.resize(buffer_size_);
    Result<std::size_t> got =
        file_.ReadAt(file_offset_, buffer_.data(), buffer_.size());
    if (!got.ok()) return got.status();
    position_ = 0;
    filled_ = *got;
    file_offset_ += *got;
  }
  return std::string_view(buffer_.data() + position_, filled_ - position_);
}

Status BufferedReader::ReadExactly(char* buffer, std::size_t length) {
  while (length > 0) {
    Result<std::string_view> ahead = Peek();
    if (!ahead.ok()) return ahead.status();
    if (ahead->empty()) return Status(FailureCode::kInputPastEndOfFile);
    const std::size_t take = std::min(length, ahead->size());
    std::memcpy(buffer, ahead->data(), take);
    Consume(take);
    buffer += take;
    length -= take;
  }
  return Status::Ok();
}

}  // namespace mirlot
