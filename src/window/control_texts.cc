#include "window/control_texts.h"

namespace mirlot {

std::string WithoutAccessKey(const std::string& text) {
  std::string shown;
  for (const char c : text) {
    shown += c;
    if (c == '&') shown += '&';
  }
  return shown;
}

}  // namespace mirlot
