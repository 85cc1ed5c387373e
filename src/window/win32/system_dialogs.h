// The Win32 window's open-file chooser and message box.
#ifndef MIRLOT_WINDOW_WIN32_SYSTEM_DIALOGS_H_
#define MIRLOT_WINDOW_WIN32_SYSTEM_DIALOGS_H_

#include <windows.h>

#include <optional>
#include <string>

#include "window/window_services.h"

namespace mirlot {

using Win32ListChooser = ListChooserFor<HWND>;
using Win32MessagePresenter = MessagePresenterFor<HWND>;

// The system's open-file dialog (GetOpenFileNameW) with the list filters.
class Win32OpenFileChooser : public Win32ListChooser {
 public:
  std::optional<std::string> ChooseList(
      HWND parent, const std::string& start_folder) override;
};

// A task dialog (TaskDialogIndirect, common controls 6) with OK only and no
// icon, as wide as its title and text need; the detail is a paragraph of
// its own under the message. MessageBoxW should the task dialog fail.
class Win32TaskDialogPresenter : public Win32MessagePresenter {
 public:
  void ShowMessage(HWND parent, const WindowMessage& message) override;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_SYSTEM_DIALOGS_H_
