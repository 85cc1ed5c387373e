#include "cli/output_text.h"

#include <gtest/gtest.h>

#include <string>

namespace mirlot {
namespace {

using namespace std::string_literals;

TEST(OutputTextTest, JsonStringEscapesWhatJsonRequiresAndBytesOutsideUtf8) {
  const struct {
    std::string bytes;
    std::string json;
  } cases[] = {
      {"", R"("")"},
      {"say \"hi\"\\", R"("say \"hi\"\\")"},
      {"t\tn\nr\rb\bf\f", R"("t\tn\nr\rb\bf\f")"},
      {"nul\0\x1b[m\x7f"s, R"("nul\u0000\u001b[m\u007f")"},
      {"Файл \xF0\x9F\x93\xA6", "\"Файл \xF0\x9F\x93\xA6\""},
      // Windows-1251 "Файл": not UTF-8, each byte read as Latin-1.
      {"\xD4\xE0\xE9\xEB", R"("\u00d4\u00e0\u00e9\u00eb")"},
      // A cut sequence, an overlong slash, a surrogate.
      {"\xD0 \xC0\xAF \xED\xA0\x80",
       R"("\u00d0 \u00c0\u00af \u00ed\u00a0\u0080")"},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.bytes), c.json);
}

TEST(OutputTextTest, TerminalTextEscapesControlsAndBytesOutsideUtf8) {
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {
      {"plain \\ name.dat", "plain \\ name.dat"},
      {"\x1b[31mred", R"(\x1b[31mred)"},
      {"a\nb\x7f", R"(a\x0ab\x7f)"},
      {"\xC2\x9B[2J", R"(\xc2\x9b[2J)"},  // the C1 control CSI
      {"\xC2\xA0Файл", "\xC2\xA0Файл"},   // no-break space is kept
      {"\xD4\xE0", R"(\xd4\xe0)"},
  };
  for (const auto& c : cases) EXPECT_EQ(TerminalText(c.bytes), c.text);
  // Names tell the text \xff from the byte FF.
  EXPECT_EQ(TerminalName("\\xff \xff"), R"(\\xff \xff)");
}

}  // namespace
}  // namespace mirlot
