#include "support/child_process.h"

#include <windows.h>

#include <filesystem>

namespace mirlot {

namespace {

std::wstring Wide(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()))
      .wstring();
}

// A temporary file the child inherits and that goes with the last handle:
// the child's copy may outlive the child for a moment.
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
  std::string text(::GetFileSize(file, nullptr), '\0');
  DWORD got = 0;
  ::SetFilePointer(file, 0, nullptr, FILE_BEGIN);
  ::ReadFile(file, text.data(), text.size(), &got, nullptr);
  ::CloseHandle(file);
  return text.substr(0, got);
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::string& cwd) {
  // Each argument quoted whole: none holds a quote or ends in a backslash.
  std::wstring command_line;
  for (const std::string& arg : argv)
    command_line += L"\"" + Wide(arg) + L"\" ";
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ,
                                    &inherit, OPEN_EXISTING, 0, nullptr);
  startup.hStdOutput = CaptureFile(&inherit);
  startup.hStdError = CaptureFile(&inherit);
  PROCESS_INFORMATION process{};
  DWORD code = static_cast<DWORD>(-1);  // -1 when it could not start
  if (::CreateProcessW(Wide(argv.at(0)).c_str(), command_line.data(), nullptr,
                       nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       cwd.empty() ? nullptr : Wide(cwd).c_str(), &startup,
                       &process)) {
    if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
      ::TerminateProcess(process.hProcess, 137);
      ::WaitForSingleObject(process.hProcess, INFINITE);
    }
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  ::CloseHandle(startup.hStdInput);
  return {static_cast<int>(code), ReadBackAndClose(startup.hStdOutput),
          ReadBackAndClose(startup.hStdError)};
}

}  // namespace mirlot
