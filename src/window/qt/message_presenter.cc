#include "window/qt/message_presenter.h"

#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

namespace mirlot {

void QtMessageBoxPresenter::ShowMessage(QWidget* parent,
                                        const WindowMessage& message) {
  const QString title = QString::fromStdString(message.title);
  QMessageBox box(QMessageBox::NoIcon, title,
                  QString::fromStdString(message.text), QMessageBox::Ok,
                  parent);
  box.setTextFormat(Qt::PlainText);
  if (!message.detail.empty()) {
    box.setInformativeText(QString::fromStdString(message.detail));
  }
  // Some styles decorate standard buttons with icons; this box has none.
  box.button(QMessageBox::Ok)->setIcon(QIcon());
  box.exec();
}

}  // namespace mirlot
