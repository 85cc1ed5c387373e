// Times what a user waits for when an image opens in the Win32 window:
// from the request to open it to its list drawn, and how much memory the
// opened image adds to the window's own (image_window_bench.h). Under wine
// the resident set is the whole process's, wine's libraries included.
//
//   mirlot_image_window_bench.exe IMAGE [RUNS]
#include <windows.h>
// After windows.h, which they need.
#include <objbase.h>
#include <psapi.h>

#include <memory>
#include <string>

#include "image_window_bench.h"
#include "runtime/file_system.h"
#include "window/win32/dpi.h"
#include "window/win32/folder_chooser.h"
#include "window/win32/image_window.h"
#include "window/win32/system_dialogs.h"

namespace {

long ResidentKiB() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof counters;
  if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
    return 0;
  }
  return static_cast<long>(counters.WorkingSetSize / 1024);
}

// Paints `window` and every control in it now.
void Draw(HWND window) {
  RedrawWindow(window, nullptr, nullptr,
               RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace

int main(int argc, char** argv) {
  (void)CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  mirlot::UseCommonControls();
  mirlot::Win32OpenFileChooser chooser;
  mirlot::Win32TaskDialogPresenter presenter;
  mirlot::Win32FolderChooser folders;
  mirlot::Win32TaskDialogQuestioner questioner;
  const mirlot::Win32ImageServices services = {
      chooser, folders, questioner, presenter, mirlot::HostFileSystem()};
  std::unique_ptr<mirlot::Win32ImageWindow> window;
  return mirlot::RunImageWindowBench(
      argc, argv,
      {.show_empty =
           [&] {
             window =
                 std::make_unique<mirlot::Win32ImageWindow>(services, false);
             ShowWindow(window->hwnd(), SW_SHOWNORMAL);
             Draw(window->hwnd());
           },
       .open_and_draw =
           [&](const std::string& image) {
             if (!window->OpenImage(image)) return false;
             Draw(window->hwnd());
             return true;
           },
       .close = [&] { window.reset(); },
       .resident_kib = ResidentKiB});
}
