// Runs a program through the host's shell (sh, or cmd.exe on Windows), which
// sets its working folder and redirects its standard streams.
#include "support/child_process.h"

#include <cstdlib>

#include "support/temp_folder.h"

#ifdef _WIN32
#include "runtime/windows_text.h"
#else
#include <sys/wait.h>
#endif

namespace mirlot {

namespace {

#ifdef _WIN32
// cmd.exe takes each word in double quotes, as none holds one.
std::string Quoted(const std::string& word) { return '"' + word + '"'; }

const char kChangeFolder[] = "cd /d ";
const char kThenRun[] = " &&";
const char kNullInput[] = " <NUL";

int Shell(const std::string& utf8) { return _wsystem(Widen(utf8).c_str()); }
#else
// sh takes each word in single quotes, a quote inside as '\''.
std::string Quoted(const std::string& word) {
  std::string quoted = "'";
  for (const char c : word) quoted += c == '\'' ? "'\\''" : std::string(1, c);
  return quoted + "'";
}

// The program replaces the shell, so that a signal that ends it shows in the
// shell's status; timeout(1) kills it once 20 seconds have passed.
const char kChangeFolder[] = "cd ";
const char kThenRun[] = " && exec timeout -s KILL 20";
const char kNullInput[] = " </dev/null";

int Shell(const std::string& command) {
  const int status = std::system(command.c_str());
  return status == -1        ? -1
         : WIFEXITED(status) ? WEXITSTATUS(status)
                             : 128 + WTERMSIG(status);
}
#endif

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::string& cwd) {
  const TempFolder capture;
  std::string command =
      kChangeFolder + Quoted(cwd.empty() ? "." : cwd) + kThenRun;
  for (const std::string& arg : argv) command += ' ' + Quoted(arg);
  command += kNullInput;
  command += " >" + Quoted(capture.Path("out"));
  command += " 2>" + Quoted(capture.Path("err"));
  return {Shell(command), capture.Read("out"), capture.Read("err")};
}

std::vector<std::string> Sh(const std::string& script,
                            std::vector<std::string> then) {
  then.insert(then.begin(), {"/bin/sh", "-c", script + "; exec \"$0\" \"$@\""});
  return then;
}

std::vector<std::string> Traced(std::vector<std::string> options) {
  options.insert(options.begin(),
                 {"/usr/bin/env", "ASAN_OPTIONS=detect_leaks=0",
                  "/usr/bin/strace", "-f", "-qq", "-o", "/dev/null"});
  return options;
}

bool StraceWorks() {
#ifdef _WIN32
  return false;  // wine would start the host's strace, which cannot trace it
#else
  return RunChild({"/usr/bin/strace", "-o", "/dev/null", "/bin/true"})
             .exit_status == 0;
#endif
}

}  // namespace mirlot
