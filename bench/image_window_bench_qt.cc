// Times what a user waits for when an image opens in the Qt window: from
// the request to open it to its table drawn, and how much memory the
// opened image adds to the window's own (image_window_bench.h).
//
//   mirlot_image_window_bench IMAGE [RUNS]
//
// QT_QPA_PLATFORM=offscreen runs it without a display.
#include <QApplication>
#include <QPixmap>
#include <fstream>
#include <memory>
#include <string>

#include "image_window_bench.h"
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
  QApplication application(argc, argv);
  mirlot::QtFileDialogChooser chooser;
  mirlot::QtMessageBoxPresenter presenter;
  mirlot::QtFolderChooser folders;
  mirlot::QtQuestioner questioner;
  const mirlot::QtImageServices services = {
      chooser, folders, questioner, presenter, mirlot::HostFileSystem()};
  std::unique_ptr<mirlot::QtImageWindow> window;
  return mirlot::RunImageWindowBench(
      argc, argv,
      {.show_empty =
           [&] {
             window = std::make_unique<mirlot::QtImageWindow>(services);
             window->show();
             (void)window->grab();
           },
       .open_and_draw =
           [&](const std::string& image) {
             if (!window->OpenImage(image)) return false;
             (void)window->grab();
             return true;
           },
       .close = [&] { window.reset(); },
       .resident_kib = ResidentKiB});
}
