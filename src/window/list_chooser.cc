#include "window/list_chooser.h"

#include <QFile>
#include <QFileDialog>

namespace mirlot {

std::optional<std::string> FileDialogListChooser::ChooseList(
    QWidget* parent, const std::string& start_folder) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(
      QStringLiteral("%1 (%2)").arg(kListFilterName, kListFilterPattern));
  // Shows the description alone; it already names the pattern.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  if (!start_folder.empty()) {
    dialog.setDirectory(QFile::decodeName(start_folder.c_str()));
  }
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return QFile::encodeName(chosen.first()).toStdString();
}

}  // namespace mirlot
