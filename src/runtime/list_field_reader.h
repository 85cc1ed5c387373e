// Reads the fields of a list file: member paths separated by commas and line
// ends, optionally in double quotes.
#ifndef MIRLOT_RUNTIME_LIST_FIELD_READER_H_
#define MIRLOT_RUNTIME_LIST_FIELD_READER_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

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
// - a UTF-8 byte-order mark (EF BB BF) at the very start is no part of the
//   text (Notepad writes one).
class ListFieldReader {
 public:
  static constexpr std::size_t kDefaultBufferSize = 64 * 1024;

  // Reads `file` from its start, `buffer_size` bytes (at least 1) per read.
  explicit ListFieldReader(ReadableFile& file,
                           std::size_t buffer_size = kDefaultBufferSize);

  // On success returns true once no unread byte remains.
  // On failure returns the read failure.
  Result<bool> AtEnd();

  // On success returns the next field's bytes as they stand.
  // On failure returns 62 "Input past end of file" when no field starts
  // before the end of the file, or the read failure.
  Result<std::string> ReadField();

 private:
  static constexpr int kEnd = -1;

  // Called before the first byte is read: skips a byte-order mark.
  Status SkipByteOrderMark();
  // The next byte without consuming it, or kEnd.
  Result<int> Peek();
  void Skip() { ++position_; }
  Status SkipBlanks();
  Status SkipLineEndAfterCr();
  // Appends the bytes before the first of `stops` to `field` and consumes
  // that byte. On success returns it, or kEnd when the file ends first. On
  // failure returns the read failure.
  Result<int> AppendUntil(std::string& field, std::string_view stops);
  Result<std::string> ReadQuoted();
  Result<std::string> ReadUnquoted();

  ReadableFile& file_;
  std::vector<char> buffer_;
  std::size_t position_ = 0;       // next unread byte in buffer_
  std::size_t filled_ = 0;         // bytes of buffer_ holding data
  std::uint64_t file_offset_ = 0;  // file offset just past buffer_'s data
  bool started_ = false;           // the byte-order mark test is done
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_LIST_FIELD_READER_H_
