// The loop of the image window benchmark, the same for each toolkit: each
// run makes a window, opens the image in it and draws it whole, as the
// screen would; the median and range over the runs after one untimed run
// and the resident set before and after are printed.
#ifndef MIRLOT_BENCH_IMAGE_WINDOW_BENCH_H_
#define MIRLOT_BENCH_IMAGE_WINDOW_BENCH_H_

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace mirlot {

// What a toolkit does for one run: shows an empty window (`opened` false)
// or opens `image` in the window shown and draws it (`opened` true).
// Returns false when the image could not be opened.
struct ImageWindowBenchCalls {
  std::function<void()> show_empty;
  std::function<bool(const std::string& image)> open_and_draw;
  std::function<void()> close;
  std::function<long()> resident_kib;  // 0 when unknown
};

// `mirlot_image_window_bench IMAGE [RUNS]`, RUNS 20 by default.
inline int RunImageWindowBench(int argc, char** argv,
                               const ImageWindowBenchCalls& calls) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: mirlot_image_window_bench IMAGE [RUNS]\n");
    return 2;
  }
  const int runs = argc > 2 ? std::atoi(argv[2]) : 20;
  long before = 0, after = 0;
  std::vector<double> times;
  for (int run = 0; run <= runs; ++run) {
    calls.show_empty();
    if (run == 0) before = calls.resident_kib();
    const auto start = std::chrono::steady_clock::now();
    if (!calls.open_and_draw(argv[1])) return 1;
    const auto end = std::chrono::steady_clock::now();
    after = std::max(after, calls.resident_kib());
    calls.close();
    if (run > 0) {
      times.push_back(
          std::chrono::duration<double, std::milli>(end - start).count());
    }
  }
  std::sort(times.begin(), times.end());
  std::printf("open and draw: median %.1f ms (%.1f-%.1f) over %d runs\n",
              times[times.size() / 2], times.front(), times.back(), runs);
  std::printf("resident: %.1f MiB with an empty window, %.1f MiB open\n",
              before / 1024.0, after / 1024.0);
  return 0;
}

}  // namespace mirlot

#endif  // MIRLOT_BENCH_IMAGE_WINDOW_BENCH_H_
