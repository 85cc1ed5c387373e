#include "support/child_process.h"

#include <windows.h>

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

// A temporary file the child inherits and that goes with its last handle:
// the child never waits for the test to read.
HANDLE CaptureFile(SECURITY_ATTRIBUTES* inherit) {
  wchar_t folder[MAX_PATH], name[MAX_PATH];
  ::GetTempPathW(MAX_PATH, folder);
  ::GetTempFileNameW(folder, L"mlt", 0, name);
  return ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       inherit, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                       nullptr);
}

std::string ReadBackAndClose(HANDLE file) {
  std::string text;
  ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) {
    text.append(buffer, got);
  }
  ::CloseHandle(file);
  return text;
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     const ChildOptions& options) {
  std::wstring command_line;
  for (const std::string& arg : argv) {
    command_line += (command_line.empty() ? L"" : L" ") + Quoted(Wide(arg));
  }
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ,
                                    &inherit, OPEN_EXISTING, 0, nullptr);
  startup.hStdOutput = CaptureFile(&inherit);
  startup.hStdError = CaptureFile(&inherit);
  PROCESS_INFORMATION process{};
  const std::wstring cwd = Wide(options.cwd);
  ChildResult result;
  if (::CreateProcessW(Wide(argv.at(0)).c_str(), command_line.data(), nullptr,
                       nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       cwd.empty() ? nullptr : cwd.c_str(), &startup,
                       &process)) {
    if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
      ::TerminateProcess(process.hProcess, 137);
      ::WaitForSingleObject(process.hProcess, INFINITE);
    }
    DWORD code = 0;
    ::GetExitCodeProcess(process.hProcess, &code);
    result.exit_status = static_cast<int>(code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  ::CloseHandle(startup.hStdInput);
  result.out = ReadBackAndClose(startup.hStdOutput);
  result.err = ReadBackAndClose(startup.hStdError);
  return result;
}

}  // namespace mirlot
