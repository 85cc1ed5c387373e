// What a window works with: how it asks the user for a list and shows a
// message, and how long a run works before its progress shows. `Parent` is
// the toolkit's window handle; the real implementations are a file dialog
// and a message box, tests substitute a scripted user.
#ifndef MIRLOT_WINDOW_WINDOW_SERVICES_H_
#define MIRLOT_WINDOW_WINDOW_SERVICES_H_

#include <chrono>
#include <optional>
#include <string>

#include "runtime/file_system.h"

namespace mirlot {

inline constexpr char kWindowTitle[] = "Mirlot utility";

// The filters the chooser offers, the first one chosen: a description and
// its pattern.
struct ListFilter {
  const char* name;
  const char* pattern;
};
inline constexpr ListFilter kListFilters[] = {{"List of files *.txt", "*.txt"},
                                              {"All files (*)", "*"}};

// One message box: its title, the message, and what more there is to say
// about it ("" when nothing), shown under the message.
struct WindowMessage {
  std::string title;
  std::string text;
  std::string detail;
};

template <typename Parent>
class ListChooserFor {
 public:
  virtual ~ListChooserFor() = default;

  // Lets the user pick an existing file, modally over `parent`, starting in
  // `start_folder` (the current folder when empty; UTF-8).
  // On success returns the chosen file's full path (UTF-8). When the user
  // cancels, returns nothing.
  virtual std::optional<std::string> ChooseList(
      Parent parent, const std::string& start_folder) = 0;
};

template <typename Parent>
class MessagePresenterFor {
 public:
  virtual ~MessagePresenterFor() = default;

  // Shows `message` (UTF-8) with a single OK button and no icon, modally
  // over `parent`, at least as wide as its title needs, and returns once the
  // user dismissed it. Cannot fail.
  virtual void ShowMessage(Parent parent, const WindowMessage& message) = 0;
};

template <typename Parent>
class FolderChooserFor {
 public:
  virtual ~FolderChooserFor() = default;
  // Lets the user pick a folder to write into, modally over `parent`,
  // proposing `proposed` (UTF-8; it may not exist yet, its parent does).
  // On success returns the chosen folder's full path (UTF-8). When the user
  // cancels, returns nothing.
  virtual std::optional<std::string> ChooseFolder(
      Parent parent, const std::string& proposed) = 0;
};

template <typename Parent>
class QuestionerFor {
 public:
  virtual ~QuestionerFor() = default;
  // Asks `question` (UTF-8) with Yes and No, No the default, modally over
  // `parent`. Returns true for Yes; closing the box is No. Cannot fail.
  virtual bool Ask(Parent parent, const WindowMessage& question) = 0;
};

struct RunTiming {
  // How long a run works before the progress window appears.
  std::chrono::milliseconds progress_delay{500};
  // How often the open progress window takes the latest numbers.
  std::chrono::milliseconds progress_refresh{100};
};

// What a window works with; the real program passes the file dialog, the
// message box and the host's file system, tests pass fakes.
template <typename Parent>
struct WindowServicesFor {
  ListChooserFor<Parent>& chooser;
  MessagePresenterFor<Parent>& presenter;
  FileSystem& file_system;
  RunTiming timing = {};
};

// What the image window works with besides: the list chooser (for Verify)
// and the message box of the main window, a folder chooser (for Extract)
// and Yes/No questions.
template <typename Parent>
struct ImageWindowServicesFor {
  ListChooserFor<Parent>& list_chooser;
  FolderChooserFor<Parent>& folder_chooser;
  QuestionerFor<Parent>& questioner;
  MessagePresenterFor<Parent>& presenter;
  FileSystem& file_system;
  RunTiming timing = {};
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WINDOW_SERVICES_H_
