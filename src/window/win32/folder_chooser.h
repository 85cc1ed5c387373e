// The Win32 image window's folder chooser, for Extract….
#ifndef MIRLOT_WINDOW_WIN32_FOLDER_CHOOSER_H_
#define MIRLOT_WINDOW_WIN32_FOLDER_CHOOSER_H_

#include <windows.h>

#include <optional>
#include <string>

#include "window/window_services.h"

namespace mirlot {

// A small dialog with the folder to extract to, filled in with the
// proposed one, which need not exist yet, and Browse… for the system's
// folder dialog (which takes existing folders only); Extract takes what
// the field holds, completed to a full path.
class Win32FolderChooser : public FolderChooserFor<HWND> {
 public:
  std::optional<std::string> ChooseFolder(HWND parent,
                                          const std::string& proposed) override;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_FOLDER_CHOOSER_H_
