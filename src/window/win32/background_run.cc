#include "window/win32/background_run.h"

#include <string_view>

#include "window/list_choice.h"

namespace mirlot {

namespace {

constexpr wchar_t kRelayClass[] = L"MirlotRunRelay";
constexpr UINT kShowMessage = WM_APP + 1;  // lparam: const std::string*
constexpr UINT_PTR kDelayTimer = 1;
constexpr UINT_PTR kRefreshTimer = 2;

// Hands each message to the relay window, whose thread shows it; the
// worker waits in SendMessageW until the user dismissed it.
class RelaySink : public MessageSink {
 public:
  explicit RelaySink(HWND relay) : relay_(relay) {}
  void Show(std::string_view text, MessageKind) override {
    const std::string message(text);
    SendMessageW(relay_, kShowMessage, 0, reinterpret_cast<LPARAM>(&message));
  }

 private:
  HWND relay_;
};

struct Work {
  const RunRequest& request;
  FileSystem& file_system;
  MessageSink& sink;
  RunObserver& observer;
  RunOutcome outcome = RunOutcome::kFailed;
};

DWORD WINAPI DoWork(void* context) {
  auto& work = *static_cast<Work*>(context);
  work.outcome =
      RunPacking(work.request, work.file_system, work.sink, work.observer);
  return 0;
}

}  // namespace

Win32BackgroundRun::Win32BackgroundRun(HWND window,
                                       Win32MessagePresenter& presenter,
                                       RunTiming timing)
    : window_(window), presenter_(presenter), timing_(timing) {
  WNDCLASSEXW kind = {};
  kind.cbSize = sizeof(kind);
  kind.lpfnWndProc = &Win32BackgroundRun::RelayProcedure;
  kind.hInstance = GetModuleHandleW(nullptr);
  kind.lpszClassName = kRelayClass;
  RegisterClassExW(&kind);  // fails harmlessly when already registered
  relay_ = CreateWindowExW(0, kRelayClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                           nullptr, GetModuleHandleW(nullptr), nullptr);
  SetWindowLongPtrW(relay_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32BackgroundRun::~Win32BackgroundRun() {
  progress_window_.reset();
  if (relay_ != nullptr) DestroyWindow(relay_);
}

RunOutcome Win32BackgroundRun::Run(const RunRequest& request,
                                   FileSystem& file_system) {
  RelaySink sink(relay_);
  Work work{request, file_system, sink, progress_};
  const bool was_enabled = !EnableWindow(window_, FALSE);
  SetTimer(relay_, kDelayTimer,
           static_cast<UINT>(timing_.progress_delay.count()), nullptr);
  HANDLE worker = CreateThread(nullptr, 0, &DoWork, &work, 0, nullptr);
  if (worker == nullptr) {
    // The system would not start a thread: run here, at the cost of a
    // window that does not repaint until the run ends.
    DoWork(&work);
  } else {
    ServeUntilEnded(worker);
    CloseHandle(worker);
  }
  KillTimer(relay_, kDelayTimer);
  KillTimer(relay_, kRefreshTimer);
  progress_window_.reset();
  if (was_enabled) EnableWindow(window_, TRUE);
  return work.outcome;
}

void Win32BackgroundRun::ServeUntilEnded(HANDLE worker) {
  bool quit = false;
  int quit_code = 0;
  while (MsgWaitForMultipleObjects(1, &worker, FALSE, INFINITE, QS_ALLINPUT) !=
         WAIT_OBJECT_0) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT) {
        quit = true;
        quit_code = static_cast<int>(message.wParam);
        progress_.RequestCancel();
        continue;
      }
      HWND dialog = progress_window_ ? progress_window_->hwnd() : nullptr;
      if (dialog != nullptr && IsDialogMessageW(dialog, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  if (quit) PostQuitMessage(quit_code);
}

void Win32BackgroundRun::ShowMessage(const std::string& text) {
  // A message means the run is ending: no progress to show any more.
  KillTimer(relay_, kDelayTimer);
  KillTimer(relay_, kRefreshTimer);
  progress_window_.reset();
  presenter_.ShowMessage(window_, kWindowTitle, text);
}

void Win32BackgroundRun::OpenProgressWindow() {
  KillTimer(relay_, kDelayTimer);
  progress_window_ = std::make_unique<ProgressWindow>(
      window_, [this] { progress_.RequestCancel(); });
  RefreshProgressWindow();
  SetTimer(relay_, kRefreshTimer,
           static_cast<UINT>(timing_.progress_refresh.count()), nullptr);
}

void Win32BackgroundRun::RefreshProgressWindow() {
  if (!progress_window_) return;
  const std::string waiting_for = progress_.waiting_for();
  if (!waiting_for.empty()) {
    progress_window_->ShowWaiting(WaitingForFolderText(waiting_for));
  } else {
    progress_window_->ShowProgress(progress_.done(), progress_.total());
  }
}

LRESULT CALLBACK Win32BackgroundRun::RelayProcedure(HWND hwnd, UINT message,
                                                    WPARAM wparam,
                                                    LPARAM lparam) {
  auto* self = reinterpret_cast<Win32BackgroundRun*>(
      GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == kShowMessage) {
    self->ShowMessage(*reinterpret_cast<const std::string*>(lparam));
    return 0;
  }
  if (message == WM_TIMER && wparam == kDelayTimer) {
    self->OpenProgressWindow();
    return 0;
  }
  if (message == WM_TIMER && wparam == kRefreshTimer) {
    self->RefreshProgressWindow();
    return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace mirlot
