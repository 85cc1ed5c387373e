// The Qt image window's dialogs: a folder to extract into, and Yes/No.
#ifndef MIRLOT_WINDOW_QT_IMAGE_DIALOGS_H_
#define MIRLOT_WINDOW_QT_IMAGE_DIALOGS_H_

#include <optional>
#include <string>

#include "window/window_services.h"

class QWidget;

namespace mirlot {

// A small dialog with the folder to extract to, filled in with the
// proposed one, which need not exist yet, and Browse… for Qt's folder
// dialog; Extract takes what the field holds.
class QtFolderChooser : public FolderChooserFor<QWidget*> {
 public:
  std::optional<std::string> ChooseFolder(QWidget* parent,
                                          const std::string& proposed) override;
};

// A QMessageBox with Yes and No, No the default and Escape.
class QtQuestioner : public QuestionerFor<QWidget*> {
 public:
  bool Ask(QWidget* parent, const WindowMessage& question) override;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_QT_IMAGE_DIALOGS_H_
