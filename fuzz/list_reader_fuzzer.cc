// libFuzzer target for ListFieldReader. Every input is read field by field
// and checked against a plain model of the field rules written over the whole
// text at once, so a slip in the reader's buffering (a CR LF split across a
// refill, a lost byte at the buffer's end) shows up as a difference.
//
// Input layout: byte 0 picks the reader's buffer size (1 to 256 bytes, so
// refills fall everywhere, also between a CR and its LF); byte 1, when not
// zero, makes every read starting at or past that offset of the list fail,
// and the reader must then hand that failure back and stop. The rest is the
// list.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/list_field_reader.h"

namespace {

using mirlot::FailureCode;
using mirlot::Result;

[[noreturn]] void Violated(const char* what) {
  std::fprintf(stderr, "invariant violated: %s\n", what);
  std::abort();
}

void Check(bool holds, const char* what) {
  if (!holds) Violated(what);
}

// A read-only file over `text`; a read starting at or past `fail_from`
// fails with 75.
class MemoryFile : public mirlot::ReadableFile {
 public:
  MemoryFile(std::string_view text, std::optional<std::uint64_t> fail_from)
      : text_(text), fail_from_(fail_from) {}

  Result<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                             std::size_t length) override {
    if (fail_from_ && offset >= *fail_from_) {
      return FailureCode::kPathFileAccessError;
    }
    if (offset >= text_.size()) return std::size_t{0};
    const std::size_t count = std::min(length, text_.size() - offset);
    std::memcpy(buffer, text_.data() + offset, count);
    return count;
  }

  Result<std::uint64_t> Size() override { return text_.size(); }

 private:
  std::string_view text_;
  std::optional<std::uint64_t> fail_from_;
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The field rules over a whole text in memory.
class Model {
 public:
  explicit Model(std::string_view text) : text_(text) {}

  bool AtEnd() const { return position_ == text_.size(); }
  std::size_t position() const { return position_; }
  bool last_quoted() const { return last_quoted_; }

  // The next field, or nothing when only blanks remain (failure 62).
  std::optional<std::string> ReadField() {
    while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
    if (position_ == text_.size()) return std::nullopt;
    last_quoted_ = text_[position_] == '"';
    return last_quoted_ ? Quoted() : Unquoted();
  }

 private:
  std::string Quoted() {
    const std::size_t start = position_ + 1;
    const std::size_t close = text_.find('"', start);
    if (close == std::string_view::npos) {
      position_ = text_.size();
      return std::string(text_.substr(start));
    }
    position_ = close + 1;
    while (position_ < text_.size() && IsBlank(text_[position_])) ++position_;
    if (position_ < text_.size() &&
        (text_[position_] == ',' || text_[position_] == '\n')) {
      ++position_;
    } else if (position_ < text_.size() && text_[position_] == '\r') {
      SkipCrLf();
    }
    return std::string(text_.substr(start, close - start));
  }

  std::string Unquoted() {
    const std::size_t start = position_;
    std::size_t end = text_.find_first_of(",\r\n", start);
    if (end == std::string_view::npos) end = text_.size();
    position_ = end;
    if (end < text_.size()) {
      if (text_[end] == '\r') {
        SkipCrLf();
      } else {
        ++position_;
      }
    }
    std::string field(text_.substr(start, end - start));
    while (!field.empty() && field.back() == ' ') field.pop_back();
    return field;
  }

  void SkipCrLf() {
    ++position_;
    if (position_ < text_.size() && text_[position_] == '\n') ++position_;
  }

  std::string_view text_;
  std::size_t position_ = 0;
  bool last_quoted_ = false;
};

// Checks what a field may hold whatever the input was.
void CheckFieldShape(const std::string& field, bool quoted) {
  if (quoted) {
    Check(field.find('"') == std::string::npos, "quote inside quoted field");
    return;
  }
  Check(field.find_first_of(",\r\n") == std::string::npos,
        "delimiter inside unquoted field");
  Check(field.empty() || !IsBlank(field.front()), "leading blank kept");
  Check(field.empty() || field.back() != ' ', "trailing space kept");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size < 2) return 0;
  const std::size_t buffer_size = std::size_t{data[0]} + 1;
  std::optional<std::uint64_t> fail_from;
  if (data[1] != 0) fail_from = data[1] - 1;
  const std::string_view text(reinterpret_cast<const char*>(data + 2),
                              size - 2);

  MemoryFile file(text, fail_from);
  mirlot::ListFieldReader reader(file, buffer_size);
  Model model(text);
  // Every field but the failing last read consumes at least one byte, so a
  // text of N bytes yields at most N fields; more means the reader loops.
  for (std::size_t fields = 0;; ++fields) {
    Check(fields <= text.size(), "more fields than bytes: reader loops");
    Result<bool> at_end = reader.AtEnd();
    if (!at_end.ok()) {
      Check(fail_from.has_value(), "AtEnd failed without a read fault");
      Check(at_end.status().Is(FailureCode::kPathFileAccessError),
            "AtEnd changed the read failure");
      return 0;
    }
    Check(*at_end == model.AtEnd(), "end-of-file test differs from model");
    if (*at_end) return 0;
    const std::size_t before = model.position();
    const std::optional<std::string> expected = model.ReadField();
    Result<std::string> field = reader.ReadField();
    if (!field.ok() && field.status().Is(FailureCode::kPathFileAccessError)) {
      Check(fail_from.has_value(), "read failure without a read fault");
      return 0;
    }
    if (!expected) {
      Check(!field.ok() && field.status().Is(FailureCode::kInputPastEndOfFile),
            "field past the end did not fail with 62");
      return 0;
    }
    Check(field.ok(), "field failed where the model reads one");
    Check(model.position() > before, "model consumed nothing");
    Check(*field == *expected, "field differs from model");
    CheckFieldShape(*field, model.last_quoted());
  }
}
