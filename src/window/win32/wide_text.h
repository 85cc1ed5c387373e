// UTF-8 and the UTF-16 of Win32's wide calls, converted at the window's
// edge.
#ifndef MIRLOT_WINDOW_WIN32_WIDE_TEXT_H_
#define MIRLOT_WINDOW_WIN32_WIDE_TEXT_H_

#include <string>
#include <string_view>

namespace mirlot {

// `text` as UTF-16; invalid bytes become U+FFFD.
std::wstring Widen(std::string_view text);
// `text` as UTF-8; unpaired surrogates become U+FFFD.
std::string Narrow(std::wstring_view text);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_WIDE_TEXT_H_
