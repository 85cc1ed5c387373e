#include "window/message_presenter.h"

#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

namespace mirlot {

void MessageBoxPresenter::ShowMessage(QWidget* parent, const std::string& title,
                                      const std::string& text) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromStdString(title),
                  QString::fromStdString(text), QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  // Some styles decorate standard buttons with icons; this box has none.
  box.button(QMessageBox::Ok)->setIcon(QIcon());
  box.exec();
}

}  // namespace mirlot
