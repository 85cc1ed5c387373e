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
  // The exit status, or 128 + the number of the signal that ended the child
  // (137 when ended at the deadline, on Windows too); -1 when it could not be
  // started.
  int exit_status = -1;
  std::string out;
  std::string err;
  std::chrono::milliseconds elapsed{0};
};

struct ChildOptions {
  std::string cwd{};  // the current folder when empty
  std::chrono::milliseconds timeout = std::chrono::seconds(20);
  // POSIX only: when set, the child's RLIMIT_FSIZE (on Windows the child is
  // then not started).
  std::optional<std::uint64_t> file_size_limit{};
  // POSIX only: the child starts with SIGXFSZ ignored when true, at its
  // default (which ends a process on an oversized write) when false.
  bool ignore_file_size_signal = false;
};

// Runs `argv` (argv[0] a full path; arguments UTF-8, quoted for the child's
// command line on Windows) with standard input from the null device, and
// ends it once `options.timeout` has passed.
ChildResult RunChild(const std::vector<std::string>& argv,
                     const ChildOptions& options = {});

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
