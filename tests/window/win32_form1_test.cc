// The Win32 window driven through window messages: its layout, the keys,
// and the shared user scenarios.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>
#include <map>

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

HWND ProgressWindowShown() {
  HWND progress = FindWindowW(kProgressWindowClass, nullptr);
  return progress != nullptr && IsWindowVisible(progress) ? progress : nullptr;
}

// Thread timers' ticks by timer identifier.
std::map<UINT_PTR, std::function<bool()>> ticks;

void CALLBACK Tick(HWND, UINT, UINT_PTR timer, DWORD) {
  if (ticks.count(timer) > 0 && ticks[timer]()) {
    KillTimer(nullptr, timer);
    ticks.erase(timer);
  }
}

class Win32Window : public WindowDriver {
 public:
  Win32Window(FileSystem& file_system, RunTiming timing = {})
      : form({user_, user_, file_system, timing}) {
    ShowWindow(form.hwnd(), SW_SHOW);
  }
  UserRecord& user() override { return user_; }
  void Click(const std::string& button) override {
    const int id = button == "cmdPath" ? kPathButtonId : kStartButtonId;
    SendMessageW(GetDlgItem(form.hwnd(), id), BM_CLICK, 0, 0);
  }
  void Offer(const std::vector<std::string>& paths) override {
    form.OfferLists(paths);
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
  bool IsOpen() override {
    return form.hwnd() != nullptr && IsWindowVisible(form.hwnd());
  }
  std::string Caption() override { return form.caption(); }
  bool ListChosen() override { return form.list_chosen(); }
  std::string ProgressTitle() override {
    HWND progress = ProgressWindowShown();
    return progress != nullptr ? Text(progress) : "";
  }
  void CancelProgress() override {
    SendMessageW(GetDlgItem(ProgressWindowShown(), IDCANCEL), BM_CLICK, 0, 0);
  }
  void Poll(std::function<bool()> tick) override {
    ticks[SetTimer(nullptr, 0, 5, &Tick)] = std::move(tick);
  }

  ScriptedUser<HWND> user_;
  Win32Form1 form;
};

TEST(Win32Form1Test, ControlsSitAtTheirTwipPlacesInTheMessageFont) {
  FakeFileSystem fs;
  Win32Window window(fs);
  HWND form = window.form.hwnd();
  ASSERT_EQ(WindowDpi(form), 96u);
  RECT client;
  GetClientRect(form, &client);
  EXPECT_EQ(client.right * 1000 + client.bottom, 406125);
  EXPECT_EQ(Text(form), "Mirlot utility");
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof(metrics);
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0);
  const struct {
    int id;
    RECT place;
    const char* caption;
  } controls[] = {{kPathLabelId, {8, 16, 321, 73}, "Path"},
                  {kPathButtonId, {328, 16, 393, 73}, "..."},
                  {kStartButtonId, {160, 88, 233, 113}, "Start"}};
  for (const auto& c : controls) {
    HWND control = GetDlgItem(form, c.id);
    RECT place;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, form, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_TRUE(EqualRect(&place, &c.place)) << c.caption;
    EXPECT_EQ(Text(control), c.caption);
    LOGFONTW font;
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)),
               sizeof(font), &font);
    EXPECT_STREQ(font.lfFaceName, metrics.lfMessageFont.lfFaceName);
  }
  HWND path = GetDlgItem(form, kPathButtonId);
  HWND start = GetDlgItem(form, kStartButtonId);
  EXPECT_EQ(GetNextDlgTabItem(form, path, FALSE), start);
  EXPECT_EQ(GetNextDlgTabItem(form, start, FALSE), path);
  // Enter and Space press the focused button.
  for (WPARAM key : {VK_RETURN, VK_SPACE}) {
    SetFocus(path);
    MSG press = {path, WM_KEYDOWN, key, 0, 0, {}};
    if (!window.form.TranslateKeys(press)) DispatchMessageW(&press);
    MSG release = {path, WM_KEYUP, key, 0, 0, {}};
    if (!window.form.TranslateKeys(release)) DispatchMessageW(&release);
  }
  EXPECT_EQ(window.user_.start_folders.size(), 2u);
}

TEST(Win32Form1Test, UserScenarios) {
  for (const Scenario& row : kScenarios) {
    EXPECT_EQ(Play(row,
                   [](FakeFileSystem& fs, RunTiming timing) {
                     return std::make_unique<Win32Window>(fs, timing);
                   }),
              "")
        << row.steps;
  }
}

}  // namespace
}  // namespace mirlot
