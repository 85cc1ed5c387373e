// Reads the fields of a list file: member paths separated by commas and line
// ends, optionally in double quotes.
#ifndef MIRLOT_FORMAT_LIST_FIELD_READER_H_
#define MIRLOT_FORMAT_LIST_FIELD_READER_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/buffered_reader.h"
#include "runtime/file_system.h"
#include "runtime/path.h"
#include "runtime/result.h"

namespace mirlot {

// Where a field begins in the list: its line, and its place among the fields
// that begin on that line, both counted from 1.
struct ListPlace {
  std::int64_t line = 0;
  std::int64_t field = 0;
  friend bool operator==(const ListPlace&, const ListPlace&) = default;
};

// Field rules:
// - spaces and tabs before a field are skipped;
// - a field that begins with `"` runs to the next `"` (it may hold commas and
//   line ends); after the closing quote, spaces and tabs are skipped and one
//   delimiter (a comma or a line end) is consumed when it is there; any other
//   text there starts the next field;
// - an unquoted field runs to the next comma or line end, which is consumed;
//   its trailing spaces are dropped (tabs stay);
// - a line end is CR LF, CR or LF;
// - an empty line, two commas in a row and a comma before a line end each
//   give an empty field;
// - a field is a path, so one longer than the longest path the platform
//   accepts is refused as soon as it grows past that length;
// - a UTF-8 byte-order mark (EF BB BF) at the very start is no part of the
//   text (Notepad writes one).
class ListFieldReader {
 public:
  static constexpr std::size_t kDefaultBufferSize = 64 * 1024;

  // Reads `file` from its start, `buffer_size` bytes (at least 1) per read,
  // taking fields of at most `longest_field` bytes as they stand.
  explicit ListFieldReader(ReadableFile& file,
                           std::size_t buffer_size = kDefaultBufferSize,
                           std::size_t longest_field = LongestPathBytes());

  // On success returns true once no unread byte remains.
  // On failure returns the read failure.
  Result<bool> AtEnd();

  // On success returns the next field's bytes as they stand.
  // On failure returns 62 "Input past end of file" when no field starts
  // before the end of the file, 52 "Bad file name or number" once the field
  // is longer than the longest field (no more of it is kept), or the read
  // failure.
  Result<std::string> ReadField();

  // Where the field ReadField last began (or failed to): line ends inside
  // a quoted field count as lines of the list. Cannot fail.
  ListPlace place() const { return place_; }
  // True when the field ReadField last returned opened a quote that the
  // file ends without closing (the field then runs to the end of the
  // file). Cannot fail.
  bool quote_unclosed() const { return quote_unclosed_; }

 private:
  static constexpr int kEnd = -1;

  // Called before the first byte is read: starts reading after a
  // byte-order mark, if there is one.
  Status SkipByteOrderMark();
  // The bytes read ahead; empty at the end of the file.
  Result<std::string_view> Ahead();
  // The next byte without consuming it, or kEnd.
  Result<int> Peek();
  void Skip() { input_->Consume(1); }
  Status SkipBlanks();
  Status SkipLineEndAfterCr();
  // Appends the bytes before the first of `stops` to `field` and consumes
  // that byte. On success returns it, or kEnd when the file ends first. On
  // failure returns the read failure, or 52 once `field` would grow past
  // the longest field.
  Result<int> AppendUntil(std::string& field, std::string_view stops);
  Result<std::string> ReadQuoted();
  Result<std::string> ReadUnquoted();
  // Moves the next field's place past the delimiter `stop` just consumed.
  void PassDelimiter(int stop);

  ReadableFile& file_;
  std::size_t buffer_size_;
  std::size_t longest_field_;
  std::optional<BufferedReader> input_;  // made once the mark is skipped
  ListPlace next_{1, 1};                 // where the next field begins
  ListPlace place_;                      // where the last field began
  bool quote_unclosed_ = false;
};

}  // namespace mirlot

#endif  // MIRLOT_FORMAT_LIST_FIELD_READER_H_
