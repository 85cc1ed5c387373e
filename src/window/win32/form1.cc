#include "window/win32/form1.h"

#include <commctrl.h>

#include <utility>
#include <vector>

#include "runtime/windows_text.h"
#include "window/layout.h"
#include "window/path_fit.h"
#include "window/win32/accessibility.h"
#include "window/win32/dpi.h"
#include "window/win32/run_host.h"
#include "window/win32/top_level_window.h"

namespace mirlot {

namespace {

constexpr DWORD kStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

struct ControlPlace {
  int id;
  Place twips;
};
constexpr ControlPlace kPlaces[] = {{kPathLabelId, kPathLabelPlace},
                                    {kPathButtonId, kPathButtonPlace},
                                    {kStartButtonId, kStartButtonPlace}};

}  // namespace

Win32Form1::Win32Form1(Win32WindowServices services, OpenImageCall open_image)
    : core_(services), open_image_(std::move(open_image)) {
  UseCommonControls();
  hwnd_ = CreateTopLevelWindow(kForm1Class, &Win32Form1::Procedure,
                               WS_EX_CONTROLPARENT | WS_EX_ACCEPTFILES, kStyle,
                               Widen(kWindowTitle), this);
  if (hwnd_ == nullptr) return;
  CreateControls();
  Layout(WindowDpi(hwnd_));
}

Win32Form1::~Win32Form1() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (font_ != nullptr) DeleteObject(font_);
}

void Win32Form1::CreateControls() {
  // Created in tab order: the label's access key moves on to "...".
  lbl_path_ =
      CreateControl(hwnd_, L"STATIC", L"", SS_LEFT | SS_NOTIFY, kPathLabelId);
  cmd_path_ = CreateButton(kPathButtonTexts, kPathButtonId);
  cmd_start_ = CreateButton(kStartButtonTexts, kStartButtonId);
  tooltip_ = CreateWindowExW(
      0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, 0,
      0, 0, 0, hwnd_, nullptr, GetModuleHandleW(nullptr), nullptr);
  AddTool(lbl_path_, path_tip_.data());
  const std::pair<HWND, const ControlTexts*> buttons[] = {
      {cmd_path_, &kPathButtonTexts}, {cmd_start_, &kStartButtonTexts}};
  for (const auto& [button, texts] : buttons) {
    Annotate(button, *texts);
    if (*texts->tooltip != '\0') AddTool(button, Widen(texts->tooltip).c_str());
  }
  DragAcceptFiles(hwnd_, TRUE);
}

HWND Win32Form1::CreateButton(const ControlTexts& texts, int id) {
  return CreateControl(hwnd_, L"BUTTON", Widen(texts.caption).c_str(),
                       WS_TABSTOP | BS_PUSHBUTTON, id);
}

void Win32Form1::AddTool(HWND control, const wchar_t* text) {
  TOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(text);
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

void Win32Form1::Layout(int dpi) {
  HFONT old_font = font_;
  font_ = CreateSystemFont(dpi, false);
  const Place client = PlaceInPixels(kForm1Client, dpi);
  const SIZE outer = OuterSize({client.width, client.height}, kStyle, dpi);
  SetWindowPos(hwnd_, nullptr, 0, 0, outer.cx, outer.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  for (const ControlPlace& place : kPlaces) {
    HWND control = GetDlgItem(hwnd_, place.id);
    PlaceControl(control, place.twips, dpi);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  SendMessageW(tooltip_, TTM_SETMAXTIPWIDTH, 0, client.width);
  if (old_font != nullptr) DeleteObject(old_font);
  ShowChoice();
}

void Win32Form1::ShowChoice() {
  RECT area;
  GetClientRect(lbl_path_, &area);
  PathLabelLook look;
  {
    const TextMeasure measure(lbl_path_, font_);
    look = LookOfPathLabel(
        core_.choice(),
        [&measure](std::string_view text) { return measure.Width(text); },
        std::max<int>(1, area.right),
        std::max<int>(1, area.bottom / measure.LineHeight()), "\r\n");
  }
  SetWindowTextW(lbl_path_, Widen(look.text).c_str());
  // A tool with no text shows no tooltip.
  path_tip_ = Widen(look.tooltip);
  TOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = hwnd_;
  tool.uId = reinterpret_cast<UINT_PTR>(lbl_path_);
  tool.lpszText = path_tip_.data();
  SendMessageW(tooltip_, TTM_UPDATETIPTEXTW, 0,
               reinterpret_cast<LPARAM>(&tool));
}

void Win32Form1::OfferArgument(const std::string& path) {
  // A refusal before the window shows stands on its own, on the screen.
  HWND parent = IsWindowVisible(hwnd_) ? hwnd_ : nullptr;
  if (core_.OfferArgument(parent, path)) ShowChoice();
}

void Win32Form1::StartRun() {
  Win32RunHost host(hwnd_);
  core_.Start(host, hwnd_);
}

void Win32Form1::Drop(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT k = 0; k < count; ++k) {
    std::wstring path(DragQueryFileW(drop, k, nullptr, 0), L'\0');
    DragQueryFileW(drop, k, path.data(), static_cast<UINT>(path.size() + 1));
    paths.push_back(Narrow(path));
  }
  DragFinish(drop);
  if (const std::optional<std::string> image = core_.ImageDropped(paths)) {
    open_image_(*image);
  } else if (core_.Drop(paths)) {
    ShowChoice();
  }
}

bool Win32Form1::TranslateKeys(MSG& message) {
  HWND focus = GetFocus();
  if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
      (focus == cmd_path_ || focus == cmd_start_)) {
    SendMessageW(focus, BM_CLICK, 0, 0);
    return true;
  }
  return IsDialogMessageW(hwnd_, &message);
}

LRESULT Win32Form1::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) != BN_CLICKED) break;
      if (LOWORD(wparam) == kPathButtonId && core_.ChooseList(hwnd_)) {
        ShowChoice();
      }
      if (LOWORD(wparam) == kStartButtonId) StartRun();
      return 0;
    case WM_DROPFILES:
      Drop(reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_CLOSE:
      if (!core_.running()) DestroyWindow(hwnd_);
      return 0;
    case WM_DESTROY:
      hwnd_ = nullptr;
      PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      focus_.OnActivate(hwnd_, wparam);
      break;
    case WM_SETFOCUS:
      focus_.Restore(cmd_path_);
      return 0;
    case WM_DPICHANGED: {
      const auto* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      Layout(HIWORD(wparam));
      return 0;
    }
  }
  return DefWindowProcW(hwnd_, message, wparam, lparam);
}

LRESULT CALLBACK Win32Form1::Procedure(HWND hwnd, UINT message, WPARAM wparam,
                                       LPARAM lparam) {
  auto* self = static_cast<Win32Form1*>(WindowObject(hwnd, message, lparam));
  if (self == nullptr || self->hwnd_ == nullptr) {
    return DefWindowProcW(hwnd, message, wparam, lparam);
  }
  return self->Handle(message, wparam, lparam);
}

}  // namespace mirlot
