// Small text helpers shared by the list reader and the report.
#ifndef MIRLOT_RUNTIME_TEXT_H_
#define MIRLOT_RUNTIME_TEXT_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace mirlot {

// `text` without its leading and trailing blanks (spaces only; tabs stay).
std::string TrimSpaces(std::string_view text);

// The length of the valid UTF-8 sequence at the start of `text`, or 0 when
// `text` is empty or its first byte does not start one (a stray
// continuation byte, an overlong form, a surrogate, a value past U+10FFFF).
std::size_t Utf8SequenceLength(std::string_view text);

// True when all of `text` is valid UTF-8 (empty text included).
bool IsValidUtf8(std::string_view text);

// How many columns `text` takes on a line: one per valid UTF-8 sequence and
// one per byte that is not part of one.
std::size_t DisplayColumns(std::string_view text);

// `bytes` with nothing that could move a cursor or hide text: tab, line
// feed and carriage return as \t, \n and \r, every other control
// character (C0, DEL, and the C1 controls U+0080 to U+009F) and every byte
// outside valid UTF-8 as \xNN; '\\' doubled when `escape_backslash`, so
// that the text "\\xff" and the byte FF read differently.
std::string EscapeControls(std::string_view bytes, bool escape_backslash);

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_TEXT_H_
