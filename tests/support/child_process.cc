#include "support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace mirlot {

namespace {

using Clock = std::chrono::steady_clock;

// Only async-signal-safe calls: this runs between fork and exec.
[[noreturn]] void BecomeChild(const std::vector<char*>& argv,
                              const ChildOptions& options, int out, int err) {
  const int null = ::open("/dev/null", O_RDONLY);
  if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(out, 1) < 0 ||
      ::dup2(err, 2) < 0) {
    ::_exit(127);
  }
  if (!options.cwd.empty() && ::chdir(options.cwd.c_str()) != 0) ::_exit(127);
  if (options.file_size_limit) {
    const rlimit limit{*options.file_size_limit, *options.file_size_limit};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
  }
  // An ignored disposition survives exec; a handled one becomes the default.
  ::signal(SIGXFSZ, options.ignore_file_size_signal ? SIG_IGN : SIG_DFL);
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

// Reads both pipes until they close or the deadline passes.
// Returns false at the deadline.
bool Drain(std::array<int, 2> fds, std::array<std::string*, 2> sinks,
           Clock::time_point deadline) {
  std::array<pollfd, 2> polls{{{fds[0], POLLIN, 0}, {fds[1], POLLIN, 0}}};
  int open_count = 2;
  while (open_count > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - Clock::now());
    if (left.count() <= 0) return false;
    const int ready =
        ::poll(polls.data(), polls.size(), static_cast<int>(left.count()));
    if (ready < 0 && errno != EINTR) return false;
    for (std::size_t i = 0; i < polls.size(); ++i) {
      if (polls[i].fd < 0 || polls[i].revents == 0) continue;
      char buffer[65536];
      const ssize_t got = ::read(polls[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        polls[i].fd = -1;
        --open_count;
      }
    }
  }
  return true;
}

}  // namespace

ChildResult RunChild(const std::vector<std::string>& argv,
                     const ChildOptions& options) {
  ChildResult result;
  std::vector<char*> args;
  for (const std::string& arg : argv) {
    args.push_back(const_cast<char*>(arg.c_str()));
  }
  args.push_back(nullptr);

  int out[2];
  int err[2];
  if (::pipe2(out, O_CLOEXEC) != 0) return result;
  if (::pipe2(err, O_CLOEXEC) != 0) {
    ::close(out[0]);
    ::close(out[1]);
    return result;
  }
  const auto started = Clock::now();
  const pid_t pid = ::fork();
  if (pid == 0) BecomeChild(args, options, out[1], err[1]);
  ::close(out[1]);
  ::close(err[1]);
  if (pid > 0) {
    // A child that hangs keeps its pipes open until it is killed.
    result.timed_out = !Drain({out[0], err[0]}, {&result.out, &result.err},
                              started + options.timeout);
    if (result.timed_out) ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!result.timed_out && WIFEXITED(status)) {
      result.exit_status = WEXITSTATUS(status);
    }
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  ::close(out[0]);
  ::close(err[0]);
  result.elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
      Clock::now() - started);
  return result;
}

ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::string& cwd,
                     std::chrono::milliseconds timeout) {
  ChildOptions options;
  options.cwd = cwd;
  options.timeout = timeout;
  return RunChild(argv, options);
}

}  // namespace mirlot
