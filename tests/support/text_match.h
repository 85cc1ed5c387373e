// Matching a program's output against an expected text with wildcards.
#ifndef MIRLOT_TESTS_SUPPORT_TEXT_MATCH_H_
#define MIRLOT_TESTS_SUPPORT_TEXT_MATCH_H_

#include <string_view>

namespace mirlot {

// True when `text` matches `pattern`, in which each `wildcard` stands for
// one character or more.
inline bool Matches(std::string_view text, std::string_view pattern,
                    std::string_view wildcard) {
  const std::size_t mark = pattern.find(wildcard);
  if (mark == std::string_view::npos) return text == pattern;
  if (!text.starts_with(pattern.substr(0, mark))) return false;
  for (std::size_t at = mark + 1; at <= text.size(); ++at) {
    if (Matches(text.substr(at), pattern.substr(mark + wildcard.size()),
                wildcard)) {
      return true;
    }
  }
  return false;
}

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_TEXT_MATCH_H_
