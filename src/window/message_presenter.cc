#include "window/message_presenter.h"

#include <QMessageBox>

namespace mirlot {

void MessageBoxPresenter::ShowMessage(QWidget* parent, const QString& title,
                                      const QString& text) {
  QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, parent);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

}  // namespace mirlot
