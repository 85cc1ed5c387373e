#include "runtime/list_field_reader.h"

#include <algorithm>

namespace mirlot {

namespace {
bool IsBlank(int c) { return c == ' ' || c == '\t'; }
}  // namespace

ListFieldReader::ListFieldReader(ReadableFile& file, std::size_t buffer_size)
    : file_(file), buffer_(std::max<std::size_t>(buffer_size, 1)) {}

Status ListFieldReader::SkipByteOrderMark() {
  static constexpr std::string_view kMark = "\xEF\xBB\xBF";
  started_ = true;
  char head[3];
  std::size_t got = 0;
  while (got < kMark.size()) {
    Result<std::size_t> more =
        file_.ReadAt(got, head + got, kMark.size() - got);
    if (!more.ok()) return more.status();
    if (*more == 0) break;
    got += *more;
  }
  if (std::string_view(head, got) == kMark) file_offset_ = kMark.size();
  return Status::Ok();
}

Result<int> ListFieldReader::Peek() {
  if (!started_) {
    if (Status s = SkipByteOrderMark(); !s.ok()) return s;
  }
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

Result<int> ListFieldReader::AppendUntil(std::string& field,
                                         std::string_view stops) {
  for (;;) {
    Result<int> next = Peek();
    if (!next.ok()) return next.status();
    if (*next == kEnd) return kEnd;
    const char* begin = buffer_.data() + position_;
    const char* end = buffer_.data() + filled_;
    const char* stop =
        std::find_first_of(begin, end, stops.begin(), stops.end());
    field.append(begin, stop);
    position_ += static_cast<std::size_t>(stop - begin);
    if (stop != end) {
      Skip();
      return static_cast<unsigned char>(*stop);
    }
  }
}

Result<std::string> ListFieldReader::ReadQuoted() {
  std::string field;
  Result<int> stop = AppendUntil(field, "\"");
  if (!stop.ok()) return stop.status();
  if (*stop == kEnd) return field;  // unclosed quote: runs to the end
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
  Result<int> stop = AppendUntil(field, ",\r\n");
  if (!stop.ok()) return stop.status();
  if (*stop == '\r') {
    if (Status s = SkipLineEndAfterCr(); !s.ok()) return s;
  }
  field.erase(field.find_last_not_of(' ') + 1);
  return field;
}

}  // namespace mirlot
