// Runs a program to completion and captures what it printed.
#ifndef MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
#define MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_

#include <string>
#include <vector>

namespace mirlot {

struct ChildResult {
  // The exit status, or 128 + the number of the signal that ended the child
  // (137 when ended at the deadline); when the program could not be run, the
  // shell's status for it (127 from sh), or -1 when no shell could start.
  int exit_status = -1;
  std::string out;
  std::string err;
};

// Runs `argv` (argv[0] a full path; arguments UTF-8, and on Windows none
// holding a quote or ending in a backslash) through the host's shell in the
// folder `cwd` (the current one when empty), with standard input from the
// null device and standard output and error captured in files, so that the
// child never waits for the test to read. On POSIX the child is ended once
// 20 seconds have passed; on Windows nothing ends it.
ChildResult RunChild(const std::vector<std::string>& argv,
                     const std::string& cwd = "");

// Words that run `script` in sh, then `then` and the words that follow
// in place of the shell.
std::vector<std::string> Sh(const std::string& script,
                            std::vector<std::string> then = {});

// Words that run the program that follows them under strace with `options`,
// its children too, the trace dropped; the leak checker of sanitizer builds,
// which cannot work traced, off.
std::vector<std::string> Traced(std::vector<std::string> options);

// True when strace can trace a program here; never on Windows.
bool StraceWorks();

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
