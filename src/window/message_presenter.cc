#include "window/message_presenter.h"

#include <QIcon>
#include <QMessageBox>
#include <QPushButton>

namespace mirlot {

void MessageBoxPresenter::ShowMessage(QWidget* parent, const QString& title,
                                      const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  // Some styles decorate standard buttons with icons; this box has none.
  box.button(QMessageBox::Ok)->setIcon(QIcon());
  box.exec();
}

}  // namespace mirlot
