#include "runtime/console.h"

#include <windows.h>
// After windows.h, which they need.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cstdlib>

#include "runtime/windows_text.h"

namespace mirlot {

namespace {

std::atomic<bool> interrupted{false};
UINT original_output_code_page = 0;

// Runs on a thread of its own that the system starts for the event.
BOOL WINAPI RecordInterrupt(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  interrupted.store(true, std::memory_order_relaxed);
  return TRUE;
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
  for (int i = 0; i < count; ++i) arguments.push_back(Narrow(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

bool IsTerminal(std::FILE* stream) {
  DWORD mode = 0;
  const HANDLE handle = HandleOf(stream);
  return ::GetFileType(handle) == FILE_TYPE_CHAR &&
         ::GetConsoleMode(handle, &mode) != 0;
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
  interrupted.store(false, std::memory_order_relaxed);
  ::SetConsoleCtrlHandler(RecordInterrupt, TRUE);
}

InterruptWatch::~InterruptWatch() {
  ::SetConsoleCtrlHandler(RecordInterrupt, FALSE);
}

bool InterruptWatch::Interrupted() const {
  return interrupted.load(std::memory_order_relaxed);
}

}  // namespace mirlot
