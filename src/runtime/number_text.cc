#include "runtime/number_text.h"

namespace mirlot {

std::string StrNumber(std::int64_t value) {
  std::string digits = std::to_string(value);
  return value < 0 ? digits : " " + digits;
}

std::string GroupedNumber(std::uint64_t value) {
  std::string digits = std::to_string(value);
  for (std::size_t at = digits.size(); at > 3; at -= 3) {
    digits.insert(at - 3, 1, ',');
  }
  return digits;
}

std::string Plural(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace mirlot
