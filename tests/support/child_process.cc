#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <thread>

namespace mirlot {

namespace {

std::string ReadAndRemove(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), {});
  std::remove(path.c_str());
  return text;
}

// A new empty file to capture one output stream in.
std::string CaptureFile() {
  char name[] = "/tmp/mirlot-child-XXXXXX";
  ::close(::mkstemp(name));
  return name;
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::string& cwd,
                     std::chrono::milliseconds timeout) {
  const std::string out_path = CaptureFile(), err_path = CaptureFile();
  ChildResult result;
  const pid_t pid = ::fork();
  if (pid == 0) {
    const int in = ::open("/dev/null", O_RDONLY);
    ::dup2(in, 0);
    ::dup2(::open(out_path.c_str(), O_WRONLY | O_TRUNC), 1);
    ::dup2(::open(err_path.c_str(), O_WRONLY | O_TRUNC), 2);
    if (!cwd.empty() && ::chdir(cwd.c_str()) != 0) ::_exit(127);
    std::vector<char*> args;
    for (const std::string& arg : argv)
      args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    ::execv(args[0], args.data());
    ::_exit(127);
  }
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  int status = 0;
  while (::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, &status, 0);
      result.timed_out = true;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  if (!result.timed_out && WIFEXITED(status)) {
    result.exit_status = WEXITSTATUS(status);
  }
  result.out = ReadAndRemove(out_path);
  result.err = ReadAndRemove(err_path);
  return result;
}

}  // namespace mirlot
