// Times what a user waits for when an image opens in the Qt window: from
// the request to open it to its table drawn, and how much memory the
// opened image adds to the window's own.
//
//   mirlot_image_window_bench IMAGE [RUNS]
//
// Each run makes a window, opens IMAGE in it, shows it and renders it
// whole, as the screen would. Prints the median and range over RUNS runs
// (default 20) after one untimed run, then the resident set before and
// after. QT_QPA_PLATFORM=offscreen runs it without a display.
#include <QApplication>
#include <QPixmap>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "runtime/file_system.h"
#include "window/qt/image_dialogs.h"
#include "window/qt/image_window.h"
#include "window/qt/list_chooser.h"
#include "window/qt/message_presenter.h"

namespace {

// The resident set of this process in KiB (Linux), 0 when unknown.
long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::atol(line.c_str() + 6);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: mirlot_image_window_bench IMAGE [RUNS]\n");
    return 2;
  }
  const std::string image = argv[1];
  const int runs = argc > 2 ? std::atoi(argv[2]) : 20;
  QApplication application(argc, argv);
  mirlot::QtFileDialogChooser chooser;
  mirlot::QtMessageBoxPresenter presenter;
  mirlot::QtFolderChooser folders;
  mirlot::QtQuestioner questioner;
  const mirlot::QtImageServices services = {
      chooser, folders, questioner, presenter, mirlot::HostFileSystem()};
  long before = 0, after = 0;
  std::vector<double> times;
  for (int run = 0; run <= runs; ++run) {
    mirlot::QtImageWindow window(services);
    window.show();
    (void)window.grab();
    if (run == 0) before = ResidentKiB();
    const auto start = std::chrono::steady_clock::now();
    if (!window.OpenImage(image)) return 1;
    (void)window.grab();
    const auto end = std::chrono::steady_clock::now();
    after = std::max(after, ResidentKiB());
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
