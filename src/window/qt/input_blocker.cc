#include "window/qt/input_blocker.h"

#include <QApplication>
#include <QEvent>
#include <QWidget>

namespace mirlot {

namespace {

bool IsUserInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::ContextMenu:
    case QEvent::Close:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
      return true;
    default:
      return false;
  }
}

}  // namespace

QtInputBlocker::QtInputBlocker(QWidget& window) : window_(window) {
  QApplication::instance()->installEventFilter(this);
}

QtInputBlocker::~QtInputBlocker() {
  QApplication::instance()->removeEventFilter(this);
}

bool QtInputBlocker::eventFilter(QObject* target, QEvent* event) {
  if (!IsUserInput(event->type()) || !target->isWidgetType()) return false;
  if (static_cast<QWidget*>(target)->window() != &window_) return false;
  // An ignored close event keeps the window open.
  event->ignore();
  return true;
}

}  // namespace mirlot
