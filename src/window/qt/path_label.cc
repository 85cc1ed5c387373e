#include "window/qt/path_label.h"

#include <QEvent>
#include <QFontMetrics>
#include <algorithm>

#include "window/path_fit.h"

namespace mirlot {

QtPathLabel::QtPathLabel(QWidget* parent) : QLabel(parent) {
  setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Refit();
}

void QtPathLabel::ShowChoice(const ListChoice& choice) {
  choice_ = choice;
  Refit();
}

void QtPathLabel::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  Refit();
}

void QtPathLabel::changeEvent(QEvent* event) {
  QLabel::changeEvent(event);
  if (event->type() == QEvent::FontChange) Refit();
}

void QtPathLabel::Refit() {
  const QFontMetrics metrics = fontMetrics();
  const PathLabelLook look = LookOfPathLabel(
      choice_,
      [&metrics](std::string_view text) {
        return metrics.horizontalAdvance(QString::fromUtf8(text));
      },
      std::max(1, contentsRect().width()),
      std::max(1, contentsRect().height() / metrics.lineSpacing()), "\n");
  setText(QString::fromUtf8(look.text));
  setToolTip(QString::fromUtf8(look.tooltip));
}

}  // namespace mirlot
