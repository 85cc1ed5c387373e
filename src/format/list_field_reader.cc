// Reads a list file field by field by the list rules.
#include "format/list_field_reader.h"

#include <algorithm>

namespace mirlot {

namespace {
bool IsBlank(int c) { return c == ' ' || c == '\t'; }
}  // namespace

ListFieldReader::ListFieldReader(ReadableFile& file, std::size_t buffer_size,
                                 std::size_t longest_field)
    : file_(file), buffer_size_(buffer_size), longest_field_(longest_field) {}

Status ListFieldReader::SkipByteOrderMark() {
  static constexpr std::string_view kMark = "\xEF\xBB\xBF";
  char head[3];
  std::size_t got = 0;
  while (got < kMark.size()) {
    Result<std::size_t> more =
        file_.ReadAt(got, head + got, kMark.size() - got);
    if (!more.ok()) return more.status();
    if (*more == 0) break;
    got += *more;
  }
  input_.emplace(file_, buffer_size_,
                 std::string_view(head, got) == kMark ? kMark.size() : 0);
  return Status::Ok();
}

Result<std::string_view> ListFieldReader::Ahead() {
  if (!input_) {
    if (Status s = SkipByteOrderMark(); !s.ok()) return s;
  }
  return input_->Peek();
}

Result<int> ListFieldReader::Peek() {
  Result<std::string_view> ahead = Ahead();
  if (!ahead.ok()) return ahead.status();
  if (ahead->empty()) return kEnd;
  return static_cast<unsigned char>(ahead->front());
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

void ListFieldReader::PassDelimiter(int stop) {
  if (stop == ',') {
    ++next_.field;
  } else if (stop == '\r' || stop == '\n') {
    next_ = {next_.line + 1, 1};
  }
}

Result<std::string> ListFieldReader::ReadField() {
  if (Status s = SkipBlanks(); !s.ok()) return s;
  place_ = next_;
  quote_unclosed_ = false;
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
    Result<std::string_view> ahead = Ahead();
    if (!ahead.ok()) return ahead.status();
    if (ahead->empty()) return kEnd;
    const std::size_t stop = ahead->find_first_of(stops);
    const std::size_t take = std::min(stop, ahead->size());
    if (take > longest_field_ - field.size()) {
      return FailureCode::kBadFileNameOrNumber;
    }
    field.append(ahead->substr(0, take));
    input_->Consume(take);
    if (stop != std::string_view::npos) {
      Skip();
      return static_cast<unsigned char>((*ahead)[stop]);
    }
  }
}

Result<std::string> ListFieldReader::ReadQuoted() {
  std::string field;
  Result<int> stop = AppendUntil(field, "\"");
  if (!stop.ok()) return stop.status();
  // CR LF, CR and LF inside the quotes each end a line of the list.
  for (std::size_t k = 0; k < field.size(); ++k) {
    if (field[k] == '\n' || (field[k] == '\r' && field[k + 1] != '\n')) {
      next_ = {next_.line + 1, 0};
    }
  }
  if (*stop == kEnd) {  // unclosed quote: runs to the end
    quote_unclosed_ = true;
    return field;
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
  // Text right after the closing quote starts the next field.
  PassDelimiter(*next == '\r' || *next == '\n' ? *next : ',');
  return field;
}

Result<std::string> ListFieldReader::ReadUnquoted() {
  std::string field;
  Result<int> stop = AppendUntil(field, ",\r\n");
  if (!stop.ok()) return stop.status();
  if (*stop == '\r') {
    if (Status s = SkipLineEndAfterCr(); !s.ok()) return s;
  }
  PassDelimiter(*stop);
  field.erase(field.find_last_not_of(' ') + 1);
  return field;
}

}  // namespace mirlot
