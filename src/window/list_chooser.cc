#include "window/list_chooser.h"

#include <QFileDialog>

namespace mirlot {

std::optional<QString> FileDialogListChooser::ChooseList(
    QWidget* parent, const QString& start_folder) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(QString::fromUtf8(kListFilter));
  // Shows the description alone; it already names the pattern.
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  if (!start_folder.isEmpty()) dialog.setDirectory(start_folder);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList chosen = dialog.selectedFiles();
  if (chosen.isEmpty()) return std::nullopt;
  return chosen.first();
}

}  // namespace mirlot
