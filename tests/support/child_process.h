// Runs a program to completion and captures what it printed.
#ifndef MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
#define MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_

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
};

struct ChildOptions {
  std::string cwd{};  // the current folder when empty
  // POSIX only: the child's RLIMIT_FSIZE, and SIGXFSZ ignored (when true) or
  // at its default (which ends a process on an oversized write).
  std::optional<std::uint64_t> file_size_limit{};
  bool ignore_file_size_signal = false;
};

// Runs `argv` (argv[0] a full path; arguments UTF-8, quoted for the child's
// command line on Windows) with standard input from the null device, and
// ends it once 20 seconds have passed.
ChildResult RunChild(const std::vector<std::string>& argv,
                     const ChildOptions& options = {});

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
