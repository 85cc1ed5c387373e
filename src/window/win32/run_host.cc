#include "window/win32/run_host.h"

#include "window/win32/progress_window.h"

namespace mirlot {

namespace {

constexpr wchar_t kRelayClass[] = L"MirlotRunRelay";
constexpr UINT kCall = WM_APP + 1;  // lparam: const std::function<void()>*
constexpr UINT kWake = WM_APP + 2;
constexpr UINT_PTR kTickTimer = 1;

}  // namespace

Win32RunHost::Win32RunHost(HWND window) : window_(window) {
  WNDCLASSEXW kind = {};
  kind.cbSize = sizeof(kind);
  kind.lpfnWndProc = &Win32RunHost::RelayProcedure;
  kind.hInstance = GetModuleHandleW(nullptr);
  kind.lpszClassName = kRelayClass;
  RegisterClassExW(&kind);  // fails harmlessly when already registered
  relay_ = CreateWindowExW(0, kRelayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(relay_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32RunHost::~Win32RunHost() {
  if (relay_ != nullptr) DestroyWindow(relay_);
}

void Win32RunHost::CallOnWindowThread(const std::function<void()>& task) {
  SendMessageW(relay_, kCall, 0, reinterpret_cast<LPARAM>(&task));
}

void Win32RunHost::WakeWindowThread() { PostMessageW(relay_, kWake, 0, 0); }

void Win32RunHost::Serve(const ServeCalls& calls) {
  const bool was_enabled = !EnableWindow(window_, FALSE);
  tick_ = &calls.tick;
  SetTimer(relay_, kTickTimer, static_cast<UINT>(calls.period.count()),
           nullptr);
  bool quit = false;
  WPARAM quit_code = 0;
  while (!calls.ended()) {
    MSG message;
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      // WM_QUIT: stop the run, and quit once it ended.
      quit = true;
      quit_code = message.wParam;
      calls.on_quit();
    } else if (got > 0 && !Win32ProgressWindow::TranslateKeys(message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  KillTimer(relay_, kTickTimer);
  tick_ = nullptr;
  if (was_enabled) EnableWindow(window_, TRUE);
  if (quit) PostQuitMessage(static_cast<int>(quit_code));
}

std::unique_ptr<ProgressView> Win32RunHost::OpenProgress(
    std::function<void()> on_cancel) {
  return std::make_unique<Win32ProgressWindow>(window_, std::move(on_cancel));
}

LRESULT CALLBACK Win32RunHost::RelayProcedure(HWND hwnd, UINT message,
                                              WPARAM wparam, LPARAM lparam) {
  auto* self =
      reinterpret_cast<Win32RunHost*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self != nullptr && message == kCall) {
    (*reinterpret_cast<const std::function<void()>*>(lparam))();
    return 0;
  }
  if (self != nullptr && message == WM_TIMER && wparam == kTickTimer &&
      self->tick_ != nullptr) {
    (*self->tick_)();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace mirlot
