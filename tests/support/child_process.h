// Runs a program to completion and captures what it printed.
#ifndef MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
#define MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_

#include <string>
#include <vector>

namespace mirlot {

struct ChildResult {
  // The exit status, or 128 + the number of the signal that ended the child
  // (137 when ended at the deadline, on Windows too); when it could not be
  // started, sh's status on POSIX (127, or 2 when `cwd` is not a folder) and
  // -1 on Windows.
  int exit_status = -1;
  std::string out;
  std::string err;
};

// Runs `argv` (argv[0] a full path; arguments UTF-8, and on Windows none
// holding a quote or ending in a backslash) in the folder `cwd` (the current
// one when empty), with standard input from the null device and standard
// output and error captured in temporary files, so that the child never
// waits for the test to read (on POSIX through sh and timeout(1), which must
// be on the PATH). Ends the child once 20 seconds have passed.
ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::string& cwd = "");

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
