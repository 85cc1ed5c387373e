// Runs a program as a child process with a deadline, capturing what it
// prints, for tests that drive the real `mirlot` binary.
#ifndef MIRLOT_TESTS_FAULTS_CHILD_PROCESS_H_
#define MIRLOT_TESTS_FAULTS_CHILD_PROCESS_H_

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mirlot {

struct ChildOptions {
  // The child is killed once this has passed.
  std::chrono::milliseconds deadline{20000};
  // The child's current directory.
  std::string working_directory = "/";
  // When set, the child's RLIMIT_FSIZE.
  std::optional<std::uint64_t> file_size_limit;
  // Whether the child starts with SIGXFSZ ignored (else at its default,
  // which ends the process on an oversized write).
  bool ignore_file_size_signal = true;
};

struct ChildResult {
  bool timed_out = false;  // killed at the deadline
  bool exited = false;     // ended through exit(); exit_status is valid
  int exit_status = -1;
  int signal = 0;   // the signal that ended it, when not exited
  std::string out;  // standard output
  std::string err;  // standard error
  std::chrono::milliseconds elapsed{0};
};

// Starts `argv[0]` (an absolute path) with `argv`, standard input from
// /dev/null, and waits for it to end or for the deadline.
// On failure to start, returns a result with exited set and status 127.
ChildResult RunChild(const std::vector<std::string>& argv,
                     const ChildOptions& options = {});

}  // namespace mirlot

#endif  // MIRLOT_TESTS_FAULTS_CHILD_PROCESS_H_
