// Conversions between the UTF-8 text used inside the program and the wide
// (UTF-16) text of the Win32 calls. Windows only.
#ifndef MIRLOT_RUNTIME_WINDOWS_TEXT_H_
#define MIRLOT_RUNTIME_WINDOWS_TEXT_H_

#include <string>
#include <string_view>

namespace mirlot {

// `utf8` as UTF-16; a byte that is not valid UTF-8 becomes U+FFFD.
std::wstring Widen(std::string_view utf8);

// `wide` as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view wide);

// `bytes` read in the Windows code page `code_page` (1251, 1252, …), as
// UTF-8.
std::string DecodeInCodePage(std::string_view bytes, unsigned code_page);

// `utf8` in capitals by the invariant Unicode rules, as UTF-8.
std::string UpperCase(std::string_view utf8);

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_WINDOWS_TEXT_H_
