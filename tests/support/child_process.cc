// Runs a program with its streams in files: on POSIX through sh, which sets
// the working folder and the redirections; on Windows through
// CreateProcessW, as cmd.exe would add a process to every run.
#include "support/child_process.h"

#ifdef _WIN32
#include <windows.h>

#include <filesystem>
#else
#include <sys/wait.h>

#include <cstdlib>

#include "support/temp_folder.h"
#endif

namespace mirlot {

#ifdef _WIN32
namespace {

std::wstring Wide(const std::string& utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()))
      .wstring();
}

// A file the child inherits. A capture goes with its last handle, as the
// child's copy may outlive the child for a moment under wine.
HANDLE Inherited(const wchar_t* name, DWORD flags) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return ::CreateFileW(name, GENERIC_READ | GENERIC_WRITE,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                       &inherit, OPEN_EXISTING, flags, nullptr);
}

HANDLE CaptureFile() {
  wchar_t folder[MAX_PATH], name[MAX_PATH];
  ::GetTempPathW(MAX_PATH, folder);
  ::GetTempFileNameW(folder, L"mlt", 0, name);  // creates it
  return Inherited(name, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
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
  std::string command_line;
  for (const std::string& arg : argv) command_line += '"' + arg + "\" ";
  std::wstring command = Wide(command_line);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = Inherited(L"NUL", 0);
  startup.hStdOutput = CaptureFile();
  startup.hStdError = CaptureFile();
  PROCESS_INFORMATION process{};
  DWORD code = static_cast<DWORD>(-1);  // -1 when it could not start
  if (::CreateProcessW(Wide(argv.at(0)).c_str(), command.data(), nullptr,
                       nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                       cwd.empty() ? nullptr : Wide(cwd).c_str(), &startup,
                       &process)) {
    if (::WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0) {
      ::TerminateProcess(process.hProcess, 137);
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    ::CloseHandle(process.hThread);
  }
  ::CloseHandle(startup.hStdInput);
  return {static_cast<int>(code), ReadBackAndClose(startup.hStdOutput),
          ReadBackAndClose(startup.hStdError)};
}
#else
namespace {

// Each word in single quotes for sh, a quote inside as '\''.
std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? "'\\''" : std::string(1, c);
  return quoted + "'";
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::string& cwd) {
  // The program replaces the shell, so that a signal that ends it shows in
  // the status; timeout(1) kills it once 20 seconds have passed.
  const TempFolder capture;
  std::string command =
      "cd " + Quoted(cwd.empty() ? "." : cwd) + " && exec timeout -s KILL 20";
  for (const std::string& arg : argv) command += ' ' + Quoted(arg);
  command += " </dev/null >" + Quoted(capture.Path("out")) + " 2>" +
             Quoted(capture.Path("err"));
  const int status = std::system(command.c_str());
  const int code = status == -1        ? -1
                   : WIFEXITED(status) ? WEXITSTATUS(status)
                                       : 128 + WTERMSIG(status);
  return {code, capture.Read("out"), capture.Read("err")};
}
#endif

}  // namespace mirlot
