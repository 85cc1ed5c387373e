// How the Win32 path label shows a path: wrapped to the label's width and,
// when it still does not fit, shortened in the middle.
#ifndef MIRLOT_WINDOW_WIN32_PATH_FIT_H_
#define MIRLOT_WINDOW_WIN32_PATH_FIT_H_

#include <windows.h>

#include <string>

namespace mirlot {

// `path` broken into lines no wider than `width` pixels in the font
// selected into `dc`, after a '\' or '/' where one fits and anywhere else
// otherwise, joined by "\r\n". When that takes more than `max_lines` lines,
// the middle of the path gives way to "…" so that its beginning and its
// file name stay in view.
std::wstring FitPathToLines(HDC dc, const std::wstring& path, int width,
                            int max_lines);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_PATH_FIT_H_
