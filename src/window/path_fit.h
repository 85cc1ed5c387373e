// How the path label shows the chosen list, the same for every toolkit: the
// path wrapped to the label's width and, when it still does not fit,
// shortened in the middle, with the whole path as tooltip. Other texts that
// may hold a path wrap the same way.
#ifndef MIRLOT_WINDOW_PATH_FIT_H_
#define MIRLOT_WINDOW_PATH_FIT_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "window/list_choice.h"

namespace mirlot {

// The width of a text (UTF-8) in the label's font, in pixels.
using TextWidth = std::function<int(std::string_view text)>;

// `path` (UTF-8) broken into lines no wider than `width`, after a '/' or
// '\' where one fits and between any two characters otherwise (a character
// keeps its combining marks). When that takes more than `max_lines` lines,
// the middle of the path gives way to "…" so that its beginning and its file
// name stay in view.
std::vector<std::string> FitPathToLines(std::string_view path,
                                        const TextWidth& width_of, int width,
                                        int max_lines);

// `text` (UTF-8) broken into lines no wider than `width`: at each '\n',
// which no line keeps, and where a line would be wider, after its last
// space, '/' or '\' that fits, else between any two characters, so that a
// path without spaces wraps too. The lines joined give `text` without its
// '\n's.
std::vector<std::string> WrapText(std::string_view text,
                                  const TextWidth& width_of, int width);

// `lines` joined, with `line_end` between each two.
std::string JoinLines(const std::vector<std::string>& lines,
                      std::string_view line_end);

// What the path label shows for `choice`.
struct PathLabelLook {
  // The label's caption (kPathLabelTexts) before a choice, else the fitted
  // path with any '&' doubled, its lines joined by `line_end`.
  std::string text;
  // The whole path when the label shows less of it, else "".
  std::string tooltip;
};
PathLabelLook LookOfPathLabel(const ListChoice& choice,
                              const TextWidth& width_of, int width,
                              int max_lines, std::string_view line_end);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_PATH_FIT_H_
