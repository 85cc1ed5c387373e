#include "support/child_process.h"

#include <windows.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace mirlot {

namespace {

std::wstring Wide(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()))
      .wstring();
}

// Opens `name` with a handle the child inherits.
HANDLE Inherited(const std::wstring& name, DWORD access, DWORD creation) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, creation, 0, nullptr);
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::string& cwd) {
  // Each argument quoted whole: none holds a quote or ends in a backslash.
  std::wstring command_line;
  for (const std::string& arg : argv)
    command_line += L"\"" + Wide(arg) + L"\" ";
  const TempFolder capture;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inherited(L"NUL", GENERIC_READ, OPEN_EXISTING);
  startup.hStdOutput =
      Inherited(capture.Native("out").wstring(), GENERIC_WRITE, CREATE_ALWAYS);
  startup.hStdError =
      Inherited(capture.Native("err").wstring(), GENERIC_WRITE, CREATE_ALWAYS);
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
  for (HANDLE handle :
       {startup.hStdInput, startup.hStdOutput, startup.hStdError}) {
    ::CloseHandle(handle);
  }
  return {static_cast<int>(code), capture.Read("out"), capture.Read("err")};
}

}  // namespace mirlot
