// The Win32 windows' open-file chooser, message box and Yes/No question.
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

// The same task dialog with Yes and No, No the default; Escape and closing
// it answer No. MessageBoxW with Yes and No should the task dialog fail.
class Win32TaskDialogQuestioner : public QuestionerFor<HWND> {
 public:
  bool Ask(HWND parent, const WindowMessage& question) override;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WIN32_SYSTEM_DIALOGS_H_
