// The modal dialog a long run shows: how much has been packed, and Cancel.
#ifndef MIRLOT_WINDOW_PROGRESS_DIALOG_H_
#define MIRLOT_WINDOW_PROGRESS_DIALOG_H_

#include <QDialog>
#include <cstdint>
#include <functional>

class QLabel;
class QProgressBar;
class QPushButton;

namespace mirlot {

class ProgressDialog : public QDialog {
 public:
  // A dialog modal to `window` and titled like it; `on_cancel` is called
  // once, when the user cancels.
  ProgressDialog(QWidget& window, std::function<void()> on_cancel);

  // Shows that `done` of `total` payload bytes are packed; a `total` of 0
  // means the amount is not known yet.
  void ShowProgress(std::uint64_t done, std::uint64_t total);

  // Shows `text` instead of the bytes packed, while the run waits.
  void ShowWaiting(const QString& text);

  // Cancel, Escape and closing the dialog all come here. The dialog stays
  // up, saying so, until the run has stopped and its owner closes it.
  void reject() override;

 private:
  QLabel* label_;
  QProgressBar* bar_;
  QPushButton* cancel_;
  std::function<void()> on_cancel_;
  bool cancelled_ = false;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_PROGRESS_DIALOG_H_
