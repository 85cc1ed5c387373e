// The file names extracted payloads get. Names from a report are untrusted:
// only their last path component is used, and only when it is a plain,
// unused file name; every other entry gets its numbered name.
#ifndef MIRLOT_READING_EXTRACT_NAMES_H_
#define MIRLOT_READING_EXTRACT_NAMES_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace mirlot {

// "entry-0001.bin" for `number` 1: at least four digits.
std::string NumberedName(std::uint64_t number);

// The last path component of `report_name`, taking both "/" and "\" as
// separators (lists written on Windows use the latter). nullopt when that
// component cannot safely name a file of its own: empty, "." or "..", longer
// than 255 bytes, holding a control character (a NUL byte included, and the
// C1 controls U+0080 to U+009F), a name the platform cannot hold
// (PlatformHoldsName), or one this program keeps for its own files in the
// folders it writes (IsReservedName): the next command there would take
// such a file for its own.
std::optional<std::string> SafeFileName(std::string_view report_name);

class ExtractNames {
 public:
  // Every entry gets its numbered name.
  ExtractNames() = default;

  // Entry k (0-based) gets the safe form of `report_names[k]` unless an
  // earlier entry got that name already (as FileNameKey compares names); every
  // other entry gets its numbered name, or, when a report name took that, the
  // numbered name with "-2", "-3", … before ".bin".
  explicit ExtractNames(const std::vector<std::string>& report_names);

  // The file name of the entry with 0-based `index`.
  std::string NameOf(std::uint64_t index) const;

 private:
  std::vector<std::string> names_;  // empty when no report gave names
};

}  // namespace mirlot

#endif  // MIRLOT_READING_EXTRACT_NAMES_H_
