// The Win32 window driven through window messages: its layout, the keys,
// and the shared user scenarios.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>

#include "runtime/windows_text.h"
#include "window/win32/dpi.h"
#include "window/win32/form1.h"
#include "window/win32/progress_window.h"
#include "window_scenarios.h"

namespace mirlot {
namespace {

std::string Text(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return Narrow(text);
}

// The tick of the one thread timer that polls at a time.
std::function<bool()> tick;

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  if (tick()) KillTimer(nullptr, timer);
}

struct Win32Window : WindowDriver {
  Win32Window(FileSystem& file_system, RunTiming timing = {})
      : form({user_, user_, file_system, timing}) {
    ShowWindow(form.hwnd(), SW_SHOW);
  }
  UserRecord& user() override { return user_; }
  void Click(bool start) override {
    const int id = start ? kStartButtonId : kPathButtonId;
    SendMessageW(GetDlgItem(form.hwnd(), id), BM_CLICK, 0, 0);
  }
  void Drop(const std::vector<std::string>& paths) override {
    std::wstring names;
    for (const std::string& path : paths) names += Widen(path) + L'\0';
    const std::size_t bytes = (names.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + bytes);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    std::memcpy(drop + 1, names.c_str(), bytes);
    GlobalUnlock(memory);
    SendMessageW(form.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory),
                 0);
  }
  void Close() override { SendMessageW(form.hwnd(), WM_CLOSE, 0, 0); }
  std::string Caption() override {
    return IsWindowVisible(form.hwnd()) ? form.caption() : "";
  }
  std::string Progress(bool cancel) override {
    HWND progress = FindWindowW(kProgressWindowClass, nullptr);
    if (progress == nullptr || !IsWindowVisible(progress)) return "";
    const std::string title = Text(progress);
    if (cancel) SendMessageW(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
    return title;
  }
  void Poll(std::function<bool()> poll) override {
    tick = std::move(poll);
    SetTimer(nullptr, 0, 5, &Tick);
  }

  ScriptedUser<HWND> user_;
  Win32Form1 form;
};

TEST(Win32Form1Test, ControlsSitAtTheirTwipPlacesInTheMessageFont) {
  FakeFileSystem fs;
  Win32Window window(fs);
  HWND form = window.form.hwnd();
  ASSERT_EQ(WindowDpi(form), 96u);
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  RECT place;
  GetClientRect(form, &place);
  std::string seen = Text(form) + " " + std::to_string(place.right) + "x" +
                     std::to_string(place.bottom);
  for (int id : {kPathLabelId, kPathButtonId, kStartButtonId}) {
    HWND control = GetDlgItem(form, id);
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&place), 2);
    LOGFONTW font;
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    seen += "|" + Text(control);
    for (LONG at : {place.left, place.top, place.right, place.bottom}) {
      seen += " " + std::to_string(at);
    }
    if (wcscmp(font.lfFaceName, metrics.lfMessageFont.lfFaceName) != 0) {
      seen += " in another font";
    }
  }
  EXPECT_EQ(seen,
            "Mirlot utility 406x125|Path 8 16 321 73|... 328 16 393 73|"
            "Start 160 88 233 113");
  HWND path = GetDlgItem(form, kPathButtonId);
  EXPECT_EQ(GetNextDlgTabItem(form, path, FALSE),
            GetDlgItem(form, kStartButtonId));
  // Enter and Space press the focused button.
  for (WPARAM key : {VK_RETURN, VK_SPACE}) {
    SetFocus(path);
    for (UINT message : {WM_KEYDOWN, WM_KEYUP}) {
      MSG press = {path, message, key, 0, 0, {}};
      if (!window.form.TranslateKeys(press)) DispatchMessageW(&press);
    }
  }
  EXPECT_EQ(window.user_.seen, "()()");
}

TEST(Win32Form1Test, UserScenarios) {
  for (const Scenario& row : kScenarios) {
    EXPECT_EQ(Play(row,
                   [](FileSystem& fs, RunTiming t) {
                     return std::make_unique<Win32Window>(fs, t);
                   }),
              "")
        << row.steps;
  }
}

}  // namespace
}  // namespace mirlot
