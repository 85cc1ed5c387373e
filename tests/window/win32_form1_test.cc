// The Win32 window plays the shared user scenarios, worked through window
// messages.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "runtime/windows_text.h"
#include "window/win32/form1.h"
#include "window/win32/image_window.h"
#include "window/win32/progress_window.h"
#include "window/win32/system_dialogs.h"
#include "window_scenarios.h"

namespace mirlot {
namespace {

std::string Text(HWND window) {
  wchar_t text[1024] = {};
  GetWindowTextW(window, text, 1024);
  return Narrow(text);
}

// Whether the text of `label` shows whole as the control draws it, above
// the bar of its `progress` window.
bool Whole(HWND progress, HWND label) {
  RECT area, text, bar;
  GetClientRect(label, &area);
  RECT needed = {0, 0, area.right, 0};
  HDC dc = GetDC(label);
  SelectObject(dc,
               reinterpret_cast<HFONT>(SendMessageW(label, WM_GETFONT, 0, 0)));
  DrawTextW(dc, Widen(Text(label)).c_str(), -1, &needed,
            DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
  ReleaseDC(label, dc);
  GetWindowRect(label, &text);
  GetWindowRect(FindWindowExW(progress, nullptr, L"msctls_progress32", nullptr),
                &bar);
  return needed.right <= area.right && needed.bottom <= area.bottom &&
         text.bottom <= bar.top;
}

// The tick of the one thread timer that polls at a time.
std::function<bool()> tick;

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  if (tick()) KillTimer(nullptr, timer);
}

// What the message box now shown says, read back from its controls, as
// BoxSeen; "" until it shows. Its OK is then pressed.
std::string read_box;

BOOL CALLBACK ReadControl(HWND control, LPARAM lparam) {
  auto& [texts, buttons] =
      *reinterpret_cast<std::pair<std::string, int>*>(lparam);
  wchar_t name[64] = {};
  GetClassNameW(control, name, 64);
  const std::string text = Text(control);
  if (wcscmp(name, L"Button") == 0) ++buttons;
  if (wcscmp(name, L"Static") == 0 && !text.empty()) texts += text;
  return TRUE;
}

void CALLBACK ReadBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowW(L"#32770", nullptr);
  if (box == nullptr || !IsWindowVisible(box)) return;
  KillTimer(nullptr, timer);
  std::pair<std::string, int> shown;
  EnumChildWindows(box, &ReadControl, reinterpret_cast<LPARAM>(&shown));
  // The detail stands under the message, after an empty line.
  const std::size_t gap = shown.first.find("\n\n");
  read_box =
      BoxSeen(Text(box), shown.first.substr(0, gap),
              gap == std::string::npos ? "" : shown.first.substr(gap + 2),
              shown.second);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

struct Win32Window {
  Win32Window(FileSystem& file_system, RunTiming timing)
      : image({user, user, user, user, file_system, timing}, false),
        form({user, user, file_system, timing},
             [this](const std::string& path) {
               user.seen += "<image " + path + ">";
               if (image.OpenImage(path)) ShowWindow(image.hwnd(), SW_SHOW);
             }) {
    user.box = [](HWND parent, const WindowMessage& message) {
      read_box.clear();
      SetTimer(nullptr, 0, 5, &ReadBox);
      Win32TaskDialogPresenter().ShowMessage(parent, message);
      return read_box;
    };
    ShowWindow(form.hwnd(), SW_SHOW);
    SetForegroundWindow(form.hwnd());
  }
  void Click(const char* caption) {
    for (HWND window : {form.hwnd(), image.hwnd()}) {
      SendMessageW(
          FindWindowExW(window, nullptr, L"Button", Widen(caption).c_str()),
          BM_CLICK, 0, 0);
    }
  }
  // Through the program's own keyboard handling, as its message loop does.
  void Key(char key) {
    MSG message = {GetFocus(), WM_KEYDOWN, static_cast<WPARAM>(key), 0, 0, {}};
    if (!form.TranslateKeys(message) && !image.TranslateKeys(message)) {
      DispatchMessageW(&message);
    }
  }
  // Drops only onto a window that takes dropped files.
  void Drop(const std::vector<std::string>& paths) {
    if (!(GetWindowLongW(form.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES)) return;
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
  void Argue(const std::string& path) { form.OfferArgument(path); }
  void Close() { SendMessageW(form.hwnd(), WM_CLOSE, 0, 0); }
  // The first row's cells in the order the list shows its columns.
  std::string Look() {
    if (!IsWindowVisible(image.hwnd())) return "";
    HWND list = GetDlgItem(image.hwnd(), kEntryListId);
    std::string look = Text(image.hwnd()) + "|" +
                       Text(GetDlgItem(image.hwnd(), kVerdictId)) + "|";
    int order[4] = {};
    ListView_GetColumnOrderArray(list, 4, order);
    for (int k = 0; ListView_GetItemCount(list) > 0 && k < 4; ++k) {
      wchar_t cell[256] = {};
      ListView_GetItemText(list, 0, order[k], cell, 256);
      look += Narrow(cell) + " ";
    }
    return look;
  }
  std::string Caption() {
    HWND label = GetDlgItem(form.hwnd(), kPathLabelId);
    if (!IsWindowVisible(form.hwnd())) return "";
    std::string text = Text(label);
    std::erase_if(text, [](char c) { return c == '\r' || c == '\n'; });
    return text;
  }
  std::string Progress(bool cancel) {
    HWND progress = FindWindowW(kProgressWindowClass, nullptr);
    if (progress == nullptr || !IsWindowVisible(progress)) return "";
    HWND label = GetDlgItem(progress, kProgressTextId);
    std::string shown = Text(progress) + ": " + Text(label);
    std::erase_if(shown, [](char c) { return c == '\r' || c == '\n'; });
    if (!Whole(progress, label)) shown += " (cut)";
    if (cancel) SendMessageW(GetDlgItem(progress, IDCANCEL), BM_CLICK, 0, 0);
    return shown;
  }
  void Poll(std::function<bool()> poll) {
    tick = std::move(poll);
    SetTimer(nullptr, 0, 5, &Tick);
  }

  ScriptedUser<HWND> user;
  Win32ImageWindow image;
  Win32Form1 form;
};

TEST(Win32Form1Test, UserScenarios) {
  for (const Scenario& row : kScenarios) EXPECT_EQ(Play<Win32Window>(row), "");
}

}  // namespace
}  // namespace mirlot
