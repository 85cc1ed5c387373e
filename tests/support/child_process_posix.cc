#include "support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <thread>

namespace mirlot {

namespace {

// Only async-signal-safe calls: this runs between fork and exec.
[[noreturn]] void BecomeChild(char* const* argv, const ChildOptions& options,
                              int out, int err) {
  const int null = ::open("/dev/null", O_RDONLY);
  if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(out, 1) < 0 ||
      ::dup2(err, 2) < 0 ||
      (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0)) {
    ::_exit(127);
  }
  if (options.file_size_limit) {
    const rlimit limit{*options.file_size_limit, *options.file_size_limit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
  }
  // An ignored disposition survives exec; a handled one becomes the default.
  ::signal(SIGXFSZ, options.ignore_file_size_signal ? SIG_IGN : SIG_DFL);
  ::execv(argv[0], argv);
  ::_exit(127);
}

std::string ReadBackAndClose(std::FILE* file) {
  std::string text;
  std::rewind(file);
  char buffer[65536];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, file)) {
    text.append(buffer, got);
  }
  std::fclose(file);
  return text;
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     const ChildOptions& options) {
  std::vector<char*> args;
  for (const std::string& arg : argv)
    args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  // Files rather than pipes: the child never waits for the test to read.
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(20);
  const pid_t pid = ::fork();
  if (pid == 0) BecomeChild(args.data(), options, ::fileno(out), ::fileno(err));
  int status = 0;
  while (pid > 0 && ::waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > deadline) ::kill(pid, SIGKILL);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ChildResult result;
  if (pid > 0 && WIFEXITED(status)) result.exit_status = WEXITSTATUS(status);
  if (pid > 0 && WIFSIGNALED(status))
    result.exit_status = 128 + WTERMSIG(status);
  result.out = ReadBackAndClose(out);
  result.err = ReadBackAndClose(err);
  return result;
}

}  // namespace mirlot
