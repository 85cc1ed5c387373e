#include "runtime/list_field_reader.h"

#include <algorithm>

namespace mirlot {

namespace {
bool IsBlank(int c) { return c == ' ' || c == '\t'; }
}  // namespace

ListFieldReader::ListFieldReader(ReadableFile& file, std::size_t buffer_size)
    : file_(file), buffer_(std::max<std::size_t>(buffer_size, 1)) {}

Result<int> ListFieldReader::Peek() {
  if (position_ == filled_) {
    Result<std::size_t> got =
        file_.ReadAt(file_offset_, buffer_.data(), buffer_.size());
    if (!got.ok()) return got.status();
    position_ = 0;
    filled_ = *got;
    file_offset_ += *got;
    if (filled_ == 0) return kEnd;
  }
  return static_cast<unsigned char>(buffer_[position_]);
}

Result<bool> ListFieldReader::AtEnd() {
  Result<int> next = Peek();
  if (!next.ok()) return next.status();
  return *next == kEnd;
}

Status ListFieldReader::SkipBlanks() {
  for (;;) {
    Result<int> next = Peek();
    if (!next.ok()) return next.status();
    if (!IsBlank(*next)) return Status::Ok();
    Skip();
  }
}

// Called after a CR was consumed: a following LF belongs to the same end.
Status ListFieldReader::SkipLineEndAfterCr() {
  Result<int> next = Peek();
  if (!next.ok()) return next.status();
  if (*next == '\n') Skip();
  return Status::Ok();
}

Result<std::string> ListFieldReader::ReadField() {
  if (Status s = SkipBlanks(); !s.ok()) return s;
  Result<int> first = Peek();
  if (!first.ok()) return first.status();
  if (*first == kEnd) return FailureCode::kInputPastEndOfFile;
  if (*first == '"') {
    Skip();
    return ReadQuoted();
  }
  return ReadUnquoted();
}

Result<std::string> ListFieldReader::ReadQuoted() {
  std::string field;
  for (;;) {
    Result<int> next = Peek();
    if (!next.ok()) return next.status();
    if (*next == kEnd) return field;  // unclosed quote: runs to the end
    Skip();
    if (*next == '"') break;
    field.push_back(static_cast<char>(*next));
  }
  if (Status s = SkipBlanks(); !s.ok()) return s;
  Result<int> next = Peek();
  if (!next.ok()) return next.status();
  if (*next == ',' || *next == '\n') {
    Skip();
  } else if (*next == '\r') {
    Skip();
    if (Status s = SkipLineEndAfterCr(); !s.ok()) return s;
  }
  return field;
}

Result<std::string> ListFieldReader::ReadUnquoted() {
  std::string field;
  for (;;) {
    Result<int> next = Peek();
    if (!next.ok()) return next.status();
    if (*next == kEnd) break;
    Skip();
    if (*next == ',' || *next == '\n') break;
    if (*next == '\r') {
      if (Status s = SkipLineEndAfterCr(); !s.ok()) return s;
      break;
    }
    field.push_back(static_cast<char>(*next));
  }
  field.erase(field.find_last_not_of(' ') + 1);
  return field;
}

}  // namespace mirlot
