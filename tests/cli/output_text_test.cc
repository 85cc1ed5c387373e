#include "cli/output_text.h"

#include <gtest/gtest.h>

#include <string>

namespace mirlot {
namespace {

TEST(JsonStringTest, EscapesWhatJsonRequiresAndBytesOutsideUtf8) {
  const struct {
    std::string bytes;
    std::string json;
  } cases[] = {
      {"a.dat", R"("a.dat")"},
      {"say \"hi\"\\", R"("say \"hi\"\\")"},
      {"t\tn\nr\rb\bf\f", R"("t\tn\nr\rb\bf\f")"},
      {std::string("nul\0esc\x1b"
                   "del\x7f",
                   12),
       R"("nul\u0000esc\u001bdel\u007f")"},
      {"\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB",
       "\"\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB\""},
      {"\xF0\x9F\x93\xA6", "\"\xF0\x9F\x93\xA6\""},
      // Windows-1251 "Файл": not UTF-8, each byte read as Latin-1.
      {"\xD4\xE0\xE9\xEB", R"("\u00d4\u00e0\u00e9\u00eb")"},
      // A cut sequence, an overlong slash, a surrogate.
      {"\xD0", R"("\u00d0")"},
      {"\xC0\xAF", R"("\u00c0\u00af")"},
      {"\xED\xA0\x80", R"("\u00ed\u00a0\u0080")"},
      {"", R"("")"},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.bytes), c.json);
}

TEST(TerminalTextTest, EscapesControlsAndBytesOutsideUtf8) {
  const struct {
    std::string bytes;
    std::string text;
  } cases[] = {
      {"plain name.dat", "plain name.dat"},
      {"\x1b[31mred", R"(\x1b[31mred)"},
      {"a\nb\x7f", R"(a\x0ab\x7f)"},
      {"\xC2\x9B"
       "2J",
       R"(\xc2\x9b2J)"},         // the C1 control CSI
      {"\xC2\xA0", "\xC2\xA0"},  // no-break space is kept
      {"\xD0\xA4", "\xD0\xA4"},
      {"\xD4\xE0", R"(\xd4\xe0)"},
      {"back\\slash", "back\\slash"},
  };
  for (const auto& c : cases) EXPECT_EQ(TerminalText(c.bytes), c.text);
}

}  // namespace
}  // namespace mirlot
