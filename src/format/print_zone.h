// Text lines whose items are placed in print zones of 14 columns.
#ifndef MIRLOT_FORMAT_PRINT_ZONE_H_
#define MIRLOT_FORMAT_PRINT_ZONE_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace mirlot {

// Builds one line: the first item starts at column 1, each further item at
// the first zone start (columns 1, 15, 29, 43, …) to the right of the column
// that follows the item before it; gaps are filled with spaces. Columns are
// counted by DisplayColumns, so a name in UTF-8 lines up on a terminal.
class PrintZoneLine {
 public:
  static constexpr std::size_t kZoneWidth = 14;

  void Add(std::string_view item);

  // The line with its CR LF ending.
  std::string Finish() const { return text_ + "\r\n"; }

 private:
  std::string text_;
  std::size_t next_column_ = 1;  // 1-based column after the last item
  bool empty_ = true;
};

}  // namespace mirlot

#endif  // MIRLOT_FORMAT_PRINT_ZONE_H_
