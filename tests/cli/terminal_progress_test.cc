// The progress line of `mirlot pack` fits the terminal it is drawn on.
#include "cli/terminal_progress.h"

#include <gtest/gtest.h>

namespace mirlot {
namespace {

TEST(TerminalProgressTest, LineLeavesTheLastColumnFree) {
  const struct {
    const char* text;
    std::optional<int> permille;
    int columns;
    const char* line;
  } cases[] = {
      {"abc", 500, 20, "[######-------] abc"},
      {"abc", 1000, 200, "[##############################] abc"},
      {"Saving\u2026", std::nullopt, 20, "Saving\u2026"},
      // Too narrow for a bar of ten, then for the whole text.
      {"abcdef", 500, 19, "abcdef"},
      {"abcdefgh\u2026", 0, 8, "abcdef\u2026"},
      // A size the system does not say is 80 columns.
      {"a", 0, 0, "[------------------------------] a"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TerminalProgressLine(c.text, c.permille, c.columns), c.line);
  }
}

}  // namespace
}  // namespace mirlot
