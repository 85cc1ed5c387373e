#include "runtime/number_text.h"

namespace mirlot {

std::string StrNumber(std::int64_t value) {
  std::string digits = std::to_string(value);
  return value < 0 ? digits : " " + digits;
}

}  // namespace mirlot
