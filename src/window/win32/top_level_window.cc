// The class registration and creation both top-level windows share.
#include "window/win32/top_level_window.h"

namespace mirlot {

HWND CreateTopLevelWindow(const wchar_t* class_name, WNDPROC procedure,
                          DWORD ex_style, DWORD style,
                          const std::wstring& title, void* object) {
  WNDCLASSEXW kind = {};
  kind.cbSize = sizeof(kind);
  kind.lpfnWndProc = procedure;
  kind.hInstance = GetModuleHandleW(nullptr);
  kind.hIcon = LoadIconW(kind.hInstance, MAKEINTRESOURCEW(1));
  kind.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  kind.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  kind.lpszClassName = class_name;
  RegisterClassExW(&kind);  // fails harmlessly when already registered
  return CreateWindowExW(
      ex_style, class_name, title.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, kind.hInstance, object);
}

void* WindowObject(HWND hwnd, UINT message, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                      reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  return reinterpret_cast<void*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace mirlot
