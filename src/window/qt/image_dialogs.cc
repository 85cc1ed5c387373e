#include "window/qt/image_dialogs.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "window/image_view.h"

namespace mirlot {

std::optional<std::string> QtFolderChooser::ChooseFolder(
    QWidget* parent, const std::string& proposed) {
  QDialog dialog(parent);
  dialog.setWindowTitle(QString::fromUtf8(kFolderChooserTitle));
  auto* label = new QLabel(QString::fromUtf8(kFolderFieldLabel), &dialog);
  auto* folder = new QLineEdit(QFile::decodeName(proposed.c_str()), &dialog);
  folder->setMinimumWidth(folder->fontMetrics().averageCharWidth() * 60);
  label->setBuddy(folder);
  auto* browse =
      new QPushButton(QString::fromUtf8(kBrowseButtonCaption), &dialog);
  browse->setAutoDefault(false);
  QObject::connect(browse, &QPushButton::clicked, &dialog, [&] {
    const QFileInfo typed(folder->text());
    const QString start =
        typed.isDir() ? typed.absoluteFilePath() : typed.absolutePath();
    const QString chosen =
        QFileDialog::getExistingDirectory(&dialog, QString(), start);
    if (!chosen.isEmpty()) folder->setText(chosen);
  });
  auto* buttons =
      new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->button(QDialogButtonBox::Ok)
      ->setText(QString::fromUtf8(kAcceptFolderCaption));
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog,
                   &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog,
                   &QDialog::reject);
  auto* layout = new QGridLayout(&dialog);
  layout->addWidget(label, 0, 0, 1, 2);
  layout->addWidget(folder, 1, 0);
  layout->addWidget(browse, 1, 1);
  layout->addWidget(buttons, 2, 0, 1, 2);
  folder->selectAll();
  if (dialog.exec() != QDialog::Accepted || folder->text().isEmpty()) {
    return std::nullopt;
  }
  return QFile::encodeName(QFileInfo(folder->text()).absoluteFilePath())
      .toStdString();
}

bool QtQuestioner::Ask(QWidget* parent, const WindowMessage& question) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(question.title),
                  QString::fromStdString(question.text),
                  QMessageBox::Yes | QMessageBox::No, parent);
  box.setTextFormat(Qt::PlainText);
  if (!question.detail.empty()) {
    box.setInformativeText(QString::fromStdString(question.detail));
  }
  box.setDefaultButton(QMessageBox::No);
  box.setEscapeButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

}  // namespace mirlot
