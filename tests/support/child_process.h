// Runs a program to completion and captures what it printed.
#ifndef MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
#define MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirlot {

struct ChildResult {
  int exit_status = -1;  // -1 when killed or not started
  bool timed_out = false;
  int signal = 0;  // the signal that ended it, 0 when it exited
  std::string out;
  std::string err;
  std::chrono::milliseconds elapsed{0};
};

struct ChildOptions {
  std::string cwd;  // the current folder when empty
  std::chrono::milliseconds timeout = std::chrono::seconds(20);
  // When set, the child's RLIMIT_FSIZE.
  std::optional<std::uint64_t> file_size_limit;
  // The child starts with SIGXFSZ ignored when true, at its default (which
  // ends a process on an oversized write) when false.
  bool ignore_file_size_signal = false;
};

// Runs `argv` (argv[0] a full path) with standard input from /dev/null, and
// kills it once `options.timeout` has passed.
ChildResult RunChild(const std::vector<std::string>& argv,
                     const ChildOptions& options);

// Runs `argv` in folder `cwd` (the current folder when empty), with standard
// input closed, and kills it after `timeout`.
ChildResult RunChild(
    const std::vector<std::string>& argv, const std::string& cwd = "",
    std::chrono::milliseconds timeout = std::chrono::seconds(20));

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
