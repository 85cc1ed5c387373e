#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

#include "support/temp_folder.h"

namespace mirlot {

ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::string& cwd) {
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  const TempFolder capture;
  const int out =
      ::open(capture.Path("out").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const int err =
      ::open(capture.Path("err").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(20);
  const pid_t pid = ::fork();
  if (pid == 0) {
    // Only async-signal-safe calls between fork and exec.
    const int null = ::open("/dev/null", O_RDONLY);
    if (null >= 0 && ::dup2(null, 0) == 0 && ::dup2(out, 1) == 1 &&
        ::dup2(err, 2) == 2 && (cwd.empty() || ::chdir(cwd.c_str()) == 0)) {
      ::execv(args[0], args.data());
    }
    ::_exit(127);
  }
  int status = 0;
  while (pid > 0 && ::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) ::kill(pid, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ::close(out);
  ::close(err);
  const int code = pid <= 0            ? -1
                   : WIFEXITED(status) ? WEXITSTATUS(status)
                                       : 128 + WTERMSIG(status);
  return {code, capture.Read("out"), capture.Read("err")};
}

}  // namespace mirlot
