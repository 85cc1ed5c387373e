// The Qt label that shows the chosen list: what it shows is the core's
// look of the choice, fitted again whenever its size or font changes.
#ifndef MIRLOT_WINDOW_QT_PATH_LABEL_H_
#define MIRLOT_WINDOW_QT_PATH_LABEL_H_

#include <QLabel>

#include "window/list_choice.h"

namespace mirlot {

class QtPathLabel : public QLabel {
 public:
  explicit QtPathLabel(QWidget* parent = nullptr);

  void ShowChoice(const ListChoice& choice);

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Refit();

  ListChoice choice_;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_QT_PATH_LABEL_H_
