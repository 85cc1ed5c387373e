// Making the program's top-level windows and finding the object behind
// each from its window procedure.
#ifndef MIRLOT_WINDOW_WIN32_TOP_LEVEL_WINDOW_H_
#define MIRLOT_WINDOW_WIN32_TOP_LEVEL_WINDOW_H_

#include <windows.h>

#include <string>

namespace mirlot {

// Registers `class_name` as a top-level window class (the program's icon,
// the arrow cursor, the dialog colour, `procedure`; registering it again
// fails harmlessly) and makes a window of it titled `title`, at the
// default place and size, for `object`.
// On success returns the window. On failure returns nullptr.
HWND CreateTopLevelWindow(const wchar_t* class_name, WNDPROC procedure,
                          DWORD ex_style, DWORD style,
                          const std::wstring& title, void* object);

// For the window procedure of such a window: the `object` it was made for,
// kept as `message` WM_NCCREATE arrives; nullptr before that.
void* WindowObject(HWND hwnd, UINT message, LPARAM lparam);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_TOP_LEVEL_WINDOW_H_
