// Times the list stage alone: reading a list file and looking up every
// member it names, as a packing run does before it writes anything.
//
//   mirlot_list_stage_bench LIST [RUNS]
//
// Prints the median and the range over RUNS runs (default 50), after one
// untimed run that warms the caches.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <variant>
#include <vector>

#include "packing/list_stage.h"
#include "runtime/file_system.h"
#include "runtime/path.h"

namespace {

// Runs the list stage once. On success returns its duration in
// milliseconds; on failure prints why and returns a negative value.
double TimeOneRun(const std::string& list_path, std::size_t& members) {
  const auto start = std::chrono::steady_clock::now();
  mirlot::ListStageResult result = mirlot::ReadEntryTable(
      mirlot::HostFileSystem(), list_path, mirlot::ParentFolder(list_path));
  const auto end = std::chrono::steady_clock::now();
  if (const auto* failed = std::get_if<mirlot::ListStageFailure>(&result)) {
    std::fprintf(stderr, "list stage failed: %d %s\n", failed->failure.number(),
                 failed->failure.description().c_str());
    return -1;
  }
  if (const auto* refused = std::get_if<mirlot::MemberRefusal>(&result)) {
    std::fprintf(stderr, "list stage refused: %s\n", refused->message.c_str());
    return -1;
  }
  members = std::get<mirlot::ReadyTable>(result).table.size();
  return std::chrono::duration<double, std::milli>(end - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: %s LIST [RUNS]\n", argv[0]);
    return 2;
  }
  const std::string list_path = argv[1];
  const int runs = argc == 3 ? std::atoi(argv[2]) : 50;
  std::size_t members = 0;
  if (TimeOneRun(list_path, members) < 0) return 1;
  std::vector<double> times;
  for (int run = 0; run < std::max(runs, 1); ++run) {
    const double ms = TimeOneRun(list_path, members);
    if (ms < 0) return 1;
    times.push_back(ms);
  }
  std::sort(times.begin(), times.end());
  std::printf("%zu members: median %.2f ms (%.2f-%.2f) over %zu runs\n",
              members, times[times.size() / 2], times.front(), times.back(),
              times.size());
  return 0;
}
