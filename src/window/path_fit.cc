#include "window/path_fit.h"

#include <algorithm>
#include <cstddef>

#include "runtime/text.h"

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

// Where a line from character `from` up to `to` ends: after its last
// separator that is not its first character, else at `to`.
std::size_t AfterLastSeparator(std::string_view text,
                               const std::vector<std::size_t>& starts,
                               std::size_t from, std::size_t to) {
  for (std::size_t k = to; k > from + 1; --k) {
    // A separator is one byte; no byte of a longer character equals one.
    const char last = text[starts[k] - 1];
    if (last == '/' || last == '\\') return k;
  }
  return to;
}

// The text as lines no wider than `width`, broken as FitPathToLines says.
std::vector<std::string> Wrap(std::string_view text, const TextWidth& width_of,
                              int width) {
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
    if (to < characters) to = AfterLastSeparator(text, starts, from, to);
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
    lines = Wrap(text, width_of, width);
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

PathLabelLook LookOfPathLabel(const ListChoice& choice,
                              const TextWidth& width_of, int width,
                              int max_lines, std::string_view line_end) {
  if (!choice.chosen()) return {"&" + std::string(kNoPathCaption), ""};
  const std::string& path = choice.caption();
  PathLabelLook look;
  std::string joined;
  const std::vector<std::string> lines =
      FitPathToLines(path, width_of, width, max_lines);
  for (std::size_t k = 0; k < lines.size(); ++k) {
    look.text +=
        (k > 0 ? std::string(line_end) : "") + WithoutAccessKey(lines[k]);
    joined += lines[k];
  }
  if (joined != path) look.tooltip = path;
  return look;
}

}  // namespace mirlot
