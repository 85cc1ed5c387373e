// Keeps a window from taking user input for as long as it lives, while it
// still repaints: used while a run works on another thread.
#ifndef MIRLOT_WINDOW_QT_INPUT_BLOCKER_H_
#define MIRLOT_WINDOW_QT_INPUT_BLOCKER_H_

#include <QObject>

class QWidget;

namespace mirlot {

class QtInputBlocker : public QObject {
 public:
  // Swallows mouse, keyboard and touch input, drops and close requests aimed at
  // `window` or any of its child widgets. Other windows (dialogs included)
  // are not affected.
  explicit QtInputBlocker(QWidget& window);
  ~QtInputBlocker() override;

  bool eventFilter(QObject* target, QEvent* event) override;

 private:
  QWidget& window_;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_QT_INPUT_BLOCKER_H_
