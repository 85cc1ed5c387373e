#include "window/win32/path_fit.h"

#include <algorithm>
#include <vector>

namespace mirlot {

namespace {

constexpr wchar_t kEllipsis = 0x2026;

bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

// The end of the longest run of characters from `start` that fits in
// `width`; at least one whole character, so that every line makes progress.
std::size_t FittingEnd(HDC dc, const std::wstring& text, std::size_t start,
                       int width) {
  int fit = 0;
  SIZE size;
  GetTextExtentExPointW(dc, text.c_str() + start,
                        static_cast<int>(text.size() - start), width, &fit,
                        nullptr, &size);
  std::size_t end = start + static_cast<std::size_t>(std::max(fit, 1));
  if (end < text.size() && IsLowSurrogate(text[end])) {
    end = end - start > 1 ? end - 1 : end + 1;
  }
  return std::min(end, text.size());
}

std::vector<std::wstring> WrapPath(HDC dc, const std::wstring& text,
                                   int width) {
  std::vector<std::wstring> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = FittingEnd(dc, text, start, width);
    if (end < text.size()) {
      const std::size_t separator = text.find_last_of(L"\\/", end - 1);
      if (separator != std::wstring::npos && separator > start) {
        end = separator + 1;
      }
    }
    lines.push_back(text.substr(start, end - start));
    start = end;
  }
  return lines;
}

// `path` with only its first and last characters, `kept` in all, around
// "…"; the file name at the end gets the larger half.
std::wstring KeepEnds(const std::wstring& path, std::size_t kept) {
  std::size_t tail = (kept + 1) / 2;
  std::size_t head = kept - tail;
  if (head > 0 && head < path.size() && IsLowSurrogate(path[head])) --head;
  if (tail > 0 && IsLowSurrogate(path[path.size() - tail])) --tail;
  return path.substr(0, head) + kEllipsis + path.substr(path.size() - tail);
}

std::wstring Join(const std::vector<std::wstring>& lines) {
  std::wstring joined;
  for (const std::wstring& line : lines) {
    if (!joined.empty()) joined += L"\r\n";
    joined += line;
  }
  return joined;
}

}  // namespace

std::wstring FitPathToLines(HDC dc, const std::wstring& path, int width,
                            int max_lines) {
  const auto fits = [&](const std::wstring& text) {
    return WrapPath(dc, text, width).size() <=
           static_cast<std::size_t>(max_lines);
  };
  if (fits(path)) return Join(WrapPath(dc, path, width));
  // The most characters that still fit, found by bisection.
  std::size_t kept = 0;
  std::size_t too_many = path.size();
  while (too_many - kept > 1) {
    const std::size_t middle = (kept + too_many) / 2;
    (fits(KeepEnds(path, middle)) ? kept : too_many) = middle;
  }
  return Join(WrapPath(dc, KeepEnds(path, kept), width));
}

}  // namespace mirlot
