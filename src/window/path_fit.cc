#include "window/path_fit.h"

#include <algorithm>
#include <cstddef>

#include "runtime/text.h"
#include "window/control_texts.h"

namespace mirlot {

namespace {

constexpr std::string_view kEllipsis = "\u2026";

// The code point of the valid UTF-8 sequence `sequence`.
char32_t CodePoint(std::string_view sequence) {
  const auto byte = [&](std::size_t k) {
    return static_cast<char32_t>(static_cast<unsigned char>(sequence[k]));
  };
  if (sequence.size() == 1) return byte(0);
  char32_t value = byte(0) & (0x7F >> sequence.size());
  for (std::size_t k = 1; k < sequence.size(); ++k) {
    value = (value << 6) | (byte(k) & 0x3F);
  }
  return value;
}

// Marks that belong to the character before them.
bool IsCombining(char32_t c) {
  return (c >= 0x0300 && c <= 0x036F) || (c >= 0x1AB0 && c <= 0x1AFF) ||
         (c >= 0x1DC0 && c <= 0x1DFF) || (c >= 0x20D0 && c <= 0x20FF) ||
         (c >= 0xFE00 && c <= 0xFE0F) || (c >= 0xFE20 && c <= 0xFE2F) ||
         c == 0x200D;
}

// Where each character of `text` starts, then text.size(). A byte outside
// valid UTF-8 is a character of its own.
std::vector<std::size_t> CharacterStarts(std::string_view text) {
  std::vector<std::size_t> starts;
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t length =
        std::max<std::size_t>(1, Utf8SequenceLength(text.substr(at)));
    const bool joins = length > 1 && !starts.empty() &&
                       IsCombining(CodePoint(text.substr(at, length)));
    if (!joins) starts.push_back(at);
    at += length;
  }
  starts.push_back(text.size());
  return starts;
}

constexpr std::string_view kPathBreaks = "/\\";
constexpr std::string_view kTextBreaks = " /\\";

// Where a line from character `from` up to `to` ends: after its last
// character of `breaks` that is not its first character, else at `to`.
std::size_t AfterLastBreak(std::string_view text,
                           const std::vector<std::size_t>& starts,
                           std::size_t from, std::size_t to,
                           std::string_view breaks) {
  for (std::size_t k = to; k > from + 1; --k) {
    // A break is one byte; no byte of a longer character equals one.
    if (breaks.find(text[starts[k] - 1]) != std::string_view::npos) return k;
  }
  return to;
}

// The text as lines no wider than `width`, broken after the last of
// `breaks` that fits, else between any two characters.
std::vector<std::string> Wrap(std::string_view text, const TextWidth& width_of,
                              int width, std::string_view breaks) {
  const std::vector<std::size_t> starts = CharacterStarts(text);
  const std::size_t characters = starts.size() - 1;
  const auto fits = [&](std::size_t from, std::size_t to) {
    return width_of(text.substr(starts[from], starts[to] - starts[from])) <=
           width;
  };
  std::vector<std::string> lines;
  for (std::size_t from = 0; from < characters;) {
    // The most characters that fit, at least one: found by doubling, then
    // by bisection.
    std::size_t fit = 1, step = 1;
    while (from + fit + step <= characters && fits(from, from + fit + step)) {
      fit += step;
      step *= 2;
    }
    while ((step /= 2) > 0) {
      if (from + fit + step <= characters && fits(from, from + fit + step)) {
        fit += step;
      }
    }
    std::size_t to = from + fit;
    if (to < characters) to = AfterLastBreak(text, starts, from, to, breaks);
    lines.emplace_back(text.substr(starts[from], starts[to] - starts[from]));
    from = to;
  }
  return lines;
}

// `path` with only its first and last characters, `kept` in all, around
// "…"; the file name at the end gets the larger half.
std::string KeepEnds(std::string_view path,
                     const std::vector<std::size_t>& starts, std::size_t kept) {
  const std::size_t characters = starts.size() - 1;
  const std::size_t tail = (kept + 1) / 2;
  const std::size_t head = kept - tail;
  return std::string(path.substr(0, starts[head])) + std::string(kEllipsis) +
         std::string(path.substr(starts[characters - tail]));
}

}  // namespace

std::vector<std::string> FitPathToLines(std::string_view path,
                                        const TextWidth& width_of, int width,
                                        int max_lines) {
  const auto fitting = [&](std::string_view text,
                           std::vector<std::string>& lines) {
    lines = Wrap(text, width_of, width, kPathBreaks);
    return lines.size() <= static_cast<std::size_t>(max_lines);
  };
  std::vector<std::string> lines;
  if (fitting(path, lines)) return lines;
  // The most characters that still fit, found by bisection.
  const std::vector<std::size_t> starts = CharacterStarts(path);
  std::size_t fits = 0;
  std::size_t too_many = starts.size() - 1;
  while (too_many - fits > 1) {
    const std::size_t kept = (fits + too_many) / 2;
    (fitting(KeepEnds(path, starts, kept), lines) ? fits : too_many) = kept;
  }
  (void)fitting(KeepEnds(path, starts, fits), lines);
  return lines;
}

std::vector<std::string> WrapText(std::string_view text,
                                  const TextWidth& width_of, int width) {
  std::vector<std::string> lines;
  for (std::size_t from = 0; from <= text.size();) {
    const std::size_t end = std::min(text.find('\n', from), text.size());
    const std::vector<std::string> wrapped =
        Wrap(text.substr(from, end - from), width_of, width, kTextBreaks);
    lines.insert(lines.end(), wrapped.begin(), wrapped.end());
    if (wrapped.empty()) lines.emplace_back();
    from = end + 1;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines,
                      std::string_view line_end) {
  std::string joined;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    if (k > 0) joined += line_end;
    joined += lines[k];
  }
  return joined;
}

PathLabelLook LookOfPathLabel(const ListChoice& choice,
                              const TextWidth& width_of, int width,
                              int max_lines, std::string_view line_end) {
  if (!choice.chosen()) return {kPathLabelTexts.caption, ""};
  const std::string& path = choice.path();
  std::vector<std::string> lines =
      FitPathToLines(path, width_of, width, max_lines);
  PathLabelLook look;
  if (JoinLines(lines, "") != path) look.tooltip = path;
  for (std::string& line : lines) line = WithoutAccessKey(line);
  look.text = JoinLines(lines, line_end);
  return look;
}

}  // namespace mirlot
