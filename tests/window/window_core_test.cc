// The window core that both toolkits draw: path fitting, the progress
// window's look, the layout at a DPI, and the program's arguments. The
// window scenarios show the rest through both toolkits.
#include <gtest/gtest.h>

#include "runtime/text.h"
#include "window/layout.h"
#include "window/path_fit.h"
#include "window/progress_look.h"
#include "window/window_arguments.h"

namespace mirlot {
namespace {

// One pixel per character, a combining mark included.
int Columns(std::string_view text) {
  return static_cast<int>(DisplayColumns(text));
}

TEST(WindowCoreTest, PathsWrapAfterSeparatorsAndGiveWayInTheMiddle) {
  const struct {
    std::string path;
    int width, max_lines;
    std::vector<std::string> lines;
  } cases[] = {
      {"/home/user/lists/l.txt", 10, 4, {"/home/", "user/", "lists/", "l.txt"}},
      {"C:\\lists\\l.txt", 9, 2, {"C:\\lists\\", "l.txt"}},
      // A combining mark stays with its letter; a line holds at least one
      // character.
      {"ae\u0301b", 2, 3, {"a", "e\u0301", "b"}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FitPathToLines(c.path, Columns, c.width, c.max_lines), c.lines)
        << c.path;
  }
  // A progress text breaks after a space too, and at its own line ends.
  EXPECT_EQ(WrapText("could not lock /d/e (x)\n\n/verylongname", Columns, 9),
            (std::vector<std::string>{"could ", "not lock ", "/d/e (x)", "",
                                      "/verylong", "name"}));
  // A path shortened in the middle shows whole as the label's tooltip.
  ListChoice choice;
  choice.Choose("/ab/cdefgh/ij.txt");
  const PathLabelLook look = LookOfPathLabel(choice, Columns, 6, 2, "|");
  EXPECT_EQ(look.text + " " + look.tooltip, "/ab/|…j.txt /ab/cdefgh/ij.txt");
}

TEST(WindowCoreTest, ProgressWindowShowsWhatTheRunToldLast) {
  const struct {
    RunState state;
    std::optional<std::chrono::seconds> left;
    ProgressLook look;
  } cases[] = {
      // clang-format off
      {{.copy = CopyProgress{1, 2, 50, 100}}, std::chrono::seconds(3), {"Packing 1 of 2 files: 50 of 100 B (50%), about 3 s left", 500}},
      {{.waiting_for = "/d"}, {}, {"Waiting for another run to finish writing into /d\u2026", std::nullopt}},
      {{.saving = true, .cancelling = true}, {}, {"Cancelling\u2026", std::nullopt, false}},
      {{.saving = true, .warnings = {"could not lock /d"}}, {}, {"Saving\u2026\nWarning: could not lock /d", std::nullopt}},
      // clang-format on
  };
  for (const auto& c : cases) {
    EXPECT_EQ(LookOfProgress(c.state, c.left), c.look) << c.look.text;
  }
}

TEST(WindowCoreTest, TwipsBecomePixelsAtEachDpi) {
  // The progress window: its text's place grows to hold the text's lines.
  const struct {
    std::string text;
    int line_height, dpi;
    // The text's height, the tops of the bar and Cancel, the window's
    // height.
    std::vector<int> seen;
  } cases[] = {
      // Halves round up.
      {"Saving\u2026\nWarning: x", 15, 120, {50, 75, 113, 158}},
      {"x\ny\nz", 25, 144, {75, 105, 150, 204}},
      // Five inches at most.
      {std::string(40, '\n'), 15, 96, {480, 500, 530, 566}},
  };
  for (const auto& c : cases) {
    const ProgressLayout got =
        LayOutProgress(c.text, Columns, c.line_height, c.dpi);
    EXPECT_EQ((std::vector<int>{got.text.height, got.bar.top, got.cancel.top,
                                got.client.height}),
              c.seen)
        << c.text;
  }
  // A message box: the title and its bar's inch, or the text and its margins
  // (at most five inches of it).
  EXPECT_EQ(MessageWidth(100, 300, 96), 332);
  EXPECT_EQ(MessageWidth(100, 1000, 96), 512);
  EXPECT_EQ(MessageWidth(100, 0, 192), 292);
}

TEST(WindowCoreTest, ArgumentsOpenTheWindowOrAnswer) {
  using Kind = WindowStart::Kind;
  const std::string usage =
      "\nmirlot-gui: run 'mirlot-gui --help' for more information\n";
  const struct {
    std::vector<std::string> arguments;
    Kind kind;
    std::string list_or_text;  // help: the line that names its options
    bool windows = false;
  } cases[] = {
      {{"--", "--help"}, Kind::kWindow, "--help"},
      {{"--version", "l.txt", "-h"}, Kind::kHelp, "\n--help or -h shows"},
      {{"a", "/?"}, Kind::kHelp, "\n--help, -h or /? shows", true},
      {{"--bogus", "--version"}, Kind::kVersion, "mirlot-gui 1.2.3\n"},
      // clang-format off
      {{"-platform", "xcb", "--bogus"}, Kind::kUsageError, "mirlot-gui: unknown option '-platform'" + usage},
      {{"a", "b"}, Kind::kUsageError, "mirlot-gui: one LIST at most, not 2" + usage},
      {{"--image", "i.dat"}, Kind::kWindow, "i.dat"},
      {{"a", "--image", "i.dat"}, Kind::kUsageError, "mirlot-gui: either LIST or --image FILE, not both" + usage},
      {{"--image"}, Kind::kUsageError, "mirlot-gui: --image needs a FILE" + usage},
      // clang-format on
  };
  for (const auto& c : cases) {
    const auto start = ReadWindowArguments(c.arguments, "1.2.3", c.windows);
    EXPECT_EQ(start.kind, c.kind);
    const std::string got = start.list + start.image + start.text;
    EXPECT_TRUE(c.kind == Kind::kHelp ? got.find(c.list_or_text) != got.npos
                                      : got == c.list_or_text)
        << got;
    // No columns, which the proportional font of a message box breaks.
    EXPECT_EQ(got.find("  "), std::string::npos) << got;
  }
}

}  // namespace
}  // namespace mirlot
