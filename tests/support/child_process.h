// Runs a program to completion and captures what it printed.
#ifndef MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
#define MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_

#include <chrono>
#include <string>
#include <vector>

namespace mirlot {

struct ChildResult {
  int exit_status = -1;  // -1 when killed or not started
  bool timed_out = false;
  std::string out;
  std::string err;
};

// Runs `argv` in folder `cwd` (the current folder when empty), with standard
// input closed, and kills it after `timeout`.
ChildResult RunChild(
    const std::vector<std::string>& argv, const std::string& cwd = "",
    std::chrono::milliseconds timeout = std::chrono::seconds(20));

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_CHILD_PROCESS_H_
