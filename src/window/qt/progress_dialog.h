// The Qt progress window a long run shows: the core's text and bar, and
// Cancel, placed by the core's layout.
#ifndef MIRLOT_WINDOW_QT_PROGRESS_DIALOG_H_
#define MIRLOT_WINDOW_QT_PROGRESS_DIALOG_H_

#include <QDialog>
#include <functional>
#include <string>

#include "window/run_host.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace mirlot {

class QtProgressDialog : public QDialog, public ProgressView {
 public:
  // A dialog modal to `window` and titled like it, shown at once;
  // `on_cancel` is called when the user cancels.
  QtProgressDialog(QWidget& window, std::function<void()> on_cancel);

  void Show(const ProgressLook& look) override;

  // Cancel, Escape and closing the dialog all come here. The dialog stays
  // up until its owner destroys it.
  void reject() override;

 private:
  // Shows `text` wrapped to the text's place, the dialog grown as the
  // core's layout says.
  void ShowText(const std::string& text);

  QLabel* label_;
  QProgressBar* bar_;
  QPushButton* cancel_;
  std::function<void()> on_cancel_;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_QT_PROGRESS_DIALOG_H_
