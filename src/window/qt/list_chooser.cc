#include "window/qt/list_chooser.h"

#include <QFile>
#include <QFileDialog>

namespace mirlot {

std::optional<std::string> QtFileDialogChooser::ChooseList(
    QWidget* parent, const std::string& start_folder) {
  QFileDialog dialog(parent);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  QStringList filters;
  for (const ListFilter& filter : kListFilters) {
    filters << QStringLiteral("%1 (%2)").arg(filter.name, filter.pattern);
  }
  dialog.setNameFilters(filters);
  // Shows the descriptions alone; they already name their patterns.
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
