// Safe forms of arbitrary bytes (names from a report, paths) for the
// terminal and for JSON.
#ifndef MIRLOT_CLI_OUTPUT_TEXT_H_
#define MIRLOT_CLI_OUTPUT_TEXT_H_

#include <string>
#include <string_view>

namespace mirlot {

// A JSON string literal, quotes included, holding `bytes`. Valid UTF-8
// passes through; '"' and '\' are escaped; control characters (U+0000 to
// U+001F and U+007F) become \b \t \n \f \r or \u00XX. A byte that is not
// part of a valid UTF-8 sequence becomes \u00XX with the byte's value, that
// is, it is read as Latin-1: the name bytes E9 and C3 A9 both come out as
// "é". The result is always valid UTF-8.
std::string JsonString(std::string_view bytes);

// `bytes` for the terminal: valid UTF-8 is kept, except control characters
// (C0, DEL and C1); those and every byte outside valid UTF-8 become \xNN,
// so that a name can neither move the cursor nor garble the line.
std::string TerminalText(std::string_view bytes);

// A name from an image's report for the terminal: TerminalText with '\'
// written as "\\" too, so that the text "\xff" and the byte FF differ.
std::string TerminalName(std::string_view bytes);

}  // namespace mirlot

#endif  // MIRLOT_CLI_OUTPUT_TEXT_H_
