#include "runtime/console.h"

#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cstdlib>
#include <cwchar>

#include "runtime/windows_text.h"

namespace mirlot {

namespace {

// How long a closed console, a logoff or a shutdown may wait for the work
// in hand to stop: the system ends the process after about five seconds.
constexpr DWORD kStopWait = 4500;

// The exit status of the first request, 0 for none: the statuses of the
// POSIX signals with the same meaning.
std::atomic<int> exit_status{0};
// Set when the watch ends, that is, once the work in hand stopped.
HANDLE watch_ended = nullptr;
UINT original_output_code_page = 0;

int StatusOf(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      return 130;  // as SIGINT
    case CTRL_CLOSE_EVENT:
      return 129;  // as SIGHUP: the terminal is gone
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      return 143;  // as SIGTERM
    default:
      return 0;
  }
}

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI RecordInterrupt(DWORD event) {
  const int status = StatusOf(event);
  if (status == 0) return FALSE;
  int none = 0;
  exit_status.compare_exchange_strong(none, status, std::memory_order_relaxed);
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) return TRUE;
  // The process ends as soon as this returns: first let the work in hand
  // stop and remove its temporary files, then end with the status.
  ::WaitForSingleObject(watch_ended, kStopWait);
  ::ExitProcess(static_cast<UINT>(exit_status.load()));
}

void RestoreOutputCodePage() {
  ::SetConsoleOutputCP(original_output_code_page);
}

HANDLE HandleOf(std::FILE* stream) {
  return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream)));
}

}  // namespace

std::vector<std::string> StartCommandLine(int argc, char** argv) {
  // Lines written with printf reach a console as UTF-8 bytes; make the
  // console read them so, and give it back its code page at the end.
  if (IsTerminal(stdout) || IsTerminal(stderr)) {
    original_output_code_page = ::GetConsoleOutputCP();
    if (original_output_code_page != CP_UTF8 && ::SetConsoleOutputCP(CP_UTF8)) {
      std::atexit(RestoreOutputCodePage);
    }
  }
  // Redirected output is the same bytes as on Linux: UTF-8 lines ending in
  // LF, not the CR LF the C runtime's text mode would make of them.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  // The progress bar redraws its line with escape sequences.
  DWORD mode = 0;
  const HANDLE error_handle = HandleOf(stderr);
  if (::GetConsoleMode(error_handle, &mode)) {
    ::SetConsoleMode(error_handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
  }
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) {
    // "/?" is how Windows programs are asked for their help.
    arguments.push_back(
        i > 0 && std::wcscmp(wide[i], L"/?") == 0 ? "--help" : Narrow(wide[i]));
  }
  ::LocalFree(wide);
  return arguments;
}

// Windows raises no signal for a pipe without a reader, and the files this
// program opens are Win32 handles, which never take the place of a standard
// stream.
void PrepareStandardStreams() {}

bool IsTerminal(std::FILE* stream) {
  DWORD mode = 0;
  const HANDLE handle = HandleOf(stream);
  return ::GetFileType(handle) == FILE_TYPE_CHAR &&
         ::GetConsoleMode(handle, &mode) != 0;
}

int TerminalColumns(std::FILE* stream) {
  CONSOLE_SCREEN_BUFFER_INFO info = {};
  if (!::GetConsoleScreenBufferInfo(HandleOf(stream), &info)) return 0;
  return info.srWindow.Right - info.srWindow.Left + 1;
}

void WriteLine(std::FILE* stream, std::string_view text) {
  if (IsTerminal(stream)) {
    std::fflush(stream);
    const std::wstring line = Widen(text) + L"\r\n";
    DWORD written = 0;
    ::WriteConsoleW(HandleOf(stream), line.data(),
                    static_cast<DWORD>(line.size()), &written, nullptr);
    return;
  }
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

InterruptWatch::InterruptWatch() {
  exit_status.store(0, std::memory_order_relaxed);
  if (watch_ended == nullptr) {
    watch_ended = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ::ResetEvent(watch_ended);
  ::SetConsoleCtrlHandler(RecordInterrupt, TRUE);
}

InterruptWatch::~InterruptWatch() {
  ::SetConsoleCtrlHandler(RecordInterrupt, FALSE);
  ::SetEvent(watch_ended);
}

bool InterruptWatch::Interrupted() const {
  return exit_status.load(std::memory_order_relaxed) != 0;
}

int InterruptWatch::ExitStatus() const {
  return exit_status.load(std::memory_order_relaxed);
}

}  // namespace mirlot
