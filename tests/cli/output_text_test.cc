#include "cli/output_text.h"

#include <gtest/gtest.h>

#include <string>

namespace mirlot {
namespace {

using namespace std::string_literals;

// The same bytes as a JSON string and as text for a terminal: JSON escapes
// what it requires, the terminal every control; both show each byte outside
// UTF-8 on its own (JSON reads it as Latin-1).
TEST(OutputTextTest, JsonAndTerminalTextEscapeControlsAndBytesOutsideUtf8) {
  const struct {
    std::string bytes, json, text;
  } cases[] = {
      {"", R"("")", ""},
      {"say \"hi\"\\", R"("say \"hi\"\\")", "say \"hi\"\\"},
      {"\t\n\r\b\f", R"("\t\n\r\b\f")", R"(\t\n\r\x08\x0c)"},
      {"\0\x1b[m\x7f"s, R"("\u0000\u001b[m\u007f")", R"(\x00\x1b[m\x7f)"},
      {"Ф \xF0\x9F\x93\xA6", "\"Ф \xF0\x9F\x93\xA6\"", "Ф \xF0\x9F\x93\xA6"},
      // The C1 control CSI; a no-break space is none.
      {"\xC2\x9B[2J", "\"\xC2\x9B[2J\"", R"(\xc2\x9b[2J)"},
      {"\xC2\xA0Файл", "\"\xC2\xA0Файл\"", "\xC2\xA0Файл"},
      // Past U+10FFFF.
      {"\xF4\x90\x80\x80", R"("\u00f4\u0090\u0080\u0080")",
       R"(\xf4\x90\x80\x80)"},
      // Windows-1251 "Файл"; a cut sequence, an overlong slash, a surrogate.
      {"\xD4\xE0\xE9\xEB", R"("\u00d4\u00e0\u00e9\u00eb")",
       R"(\xd4\xe0\xe9\xeb)"},
      {"\xD0 \xC0\xAF \xED\xA0\x80",
       R"("\u00d0 \u00c0\u00af \u00ed\u00a0\u0080")",
       R"(\xd0 \xc0\xaf \xed\xa0\x80)"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(JsonString(c.bytes), c.json);
    EXPECT_EQ(TerminalText(c.bytes), c.text);
  }
  // Names tell the text \xff from the byte FF.
  EXPECT_EQ(TerminalName("\\xff \xff"), R"(\\xff \xff)");
}

}  // namespace
}  // namespace mirlot
