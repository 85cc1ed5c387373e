#include "window/qt/message_presenter.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QIcon>
#include <QMessageBox>
#include <QPushButton>
#include <QSpacerItem>

#include "window/layout.h"

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
  // The box sizes itself to its text, narrower than a detail line; a row of
  // its own as wide as the title and the detail need keeps the title whole
  // and the detail's lines as they are, up to the widest a box gets.
  const int title_width =
      QFontMetrics(QFontDatabase::systemFont(QFontDatabase::TitleFont))
          .horizontalAdvance(title);
  const int detail_width =
      QFontMetrics(box.font())
          .horizontalAdvance(QString::fromStdString(message.detail));
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    grid->addItem(
        new QSpacerItem(MessageWidth(title_width, detail_width, kBaseDpi), 0,
                        QSizePolicy::Minimum, QSizePolicy::Fixed),
        grid->rowCount(), 0, 1, grid->columnCount());
  }
  box.exec();
}

}  // namespace mirlot
