#include "support/child_process.h"

#include <windows.h>

#include <thread>

namespace mirlot {

namespace {

std::wstring Wide(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  wide.resize(::MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                    static_cast<int>(utf8.size()), wide.data(),
                                    static_cast<int>(wide.size())));
  return wide;
}

// One argument as CommandLineToArgvW and the C runtime read it back: quoted
// when empty or holding a blank or a quote; backslashes doubled only where
// they come before a quote.
std::wstring Quoted(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return arg;
  }
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (const wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
    quoted += c;
    backslashes = 0;
  }
  return quoted + std::wstring(2 * backslashes, L'\\') + L"\"";
}

// A pipe whose write end the child inherits; the read end stays here.
struct CapturePipe {
  HANDLE read = nullptr;
  HANDLE write = nullptr;
  std::string text;
  std::thread reader;

  bool Open() {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreatePipe(&read, &write, &inherit, 0) &&
           ::SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  }
  // Reads on a thread of its own until the child's end closes, so that a
  // child writing much to both streams never waits for the test.
  void StartReading() {
    ::CloseHandle(write);
    write = nullptr;
    reader = std::thread([this] {
      char buffer[65536];
      DWORD got = 0;
      while (::ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got) {
        text.append(buffer, got);
      }
    });
  }
  ~CapturePipe() {
    if (write) ::CloseHandle(write);
    if (reader.joinable()) reader.join();
    if (read) ::CloseHandle(read);
  }
};

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     const ChildOptions& options) {
  ChildResult result;
  if (options.file_size_limit) {
    result.err = "file-size limits exist on POSIX systems only";
    return result;
  }
  std::wstring command_line;
  for (const std::string& arg : argv) {
    command_line += (command_line.empty() ? L"" : L" ") + Quoted(Wide(arg));
  }
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const HANDLE null = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ,
                                    &inherit, OPEN_EXISTING, 0, nullptr);
  CapturePipe out, err;
  if (null == INVALID_HANDLE_VALUE || !out.Open() || !err.Open()) {
    return result;
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = null;
  startup.hStdOutput = out.write;
  startup.hStdError = err.write;
  PROCESS_INFORMATION process{};
  const std::wstring cwd = Wide(options.cwd);
  const auto started = std::chrono::steady_clock::now();
  const bool created =
      ::CreateProcessW(Wide(argv.at(0)).c_str(), command_line.data(), nullptr,
                       nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       cwd.empty() ? nullptr : cwd.c_str(), &startup, &process);
  ::CloseHandle(null);
  out.StartReading();
  err.StartReading();
  if (created) {
    ::CloseHandle(process.hThread);
    const DWORD wait = ::WaitForSingleObject(
        process.hProcess, static_cast<DWORD>(options.timeout.count()));
    if (wait != WAIT_OBJECT_0) {
      ::TerminateProcess(process.hProcess, 137);
      ::WaitForSingleObject(process.hProcess, INFINITE);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    result.exit_status = static_cast<int>(code);
    ::CloseHandle(process.hProcess);
  }
  result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now() - started);
  out.reader.join();
  err.reader.join();
  result.out = std::move(out.text);
  result.err = std::move(err.text);
  return result;
}

}  // namespace mirlot
