// How the window asks the user for a list file. The real chooser is a file
// dialog; tests substitute a scripted one.
#ifndef MIRLOT_WINDOW_LIST_CHOOSER_H_
#define MIRLOT_WINDOW_LIST_CHOOSER_H_

#include <QString>
#include <optional>

class QWidget;

namespace mirlot {

// The one filter the chooser offers: its description, then its pattern in
// the form file dialogs expect.
inline constexpr char kListFilter[] = "List of files *.txt (*.txt)";

class ListChooser {
 public:
  virtual ~ListChooser() = default;

  // Lets the user pick an existing file, modally over `parent`, starting in
  // `start_folder` (the current directory when empty).
  // On success returns the chosen file's absolute path. When the user
  // cancels, returns nothing.
  virtual std::optional<QString> ChooseList(QWidget* parent,
                                            const QString& start_folder) = 0;
};

// Qt's open-file dialog with the list filter.
class FileDialogListChooser : public ListChooser {
 public:
  std::optional<QString> ChooseList(QWidget* parent,
                                    const QString& start_folder) override;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_LIST_CHOOSER_H_
