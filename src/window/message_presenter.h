// How the window shows a message of a run. The real presenter is a message
// box; tests substitute one that records.
#ifndef MIRLOT_WINDOW_MESSAGE_PRESENTER_H_
#define MIRLOT_WINDOW_MESSAGE_PRESENTER_H_

#include <QString>

class QWidget;

namespace mirlot {

class MessagePresenter {
 public:
  virtual ~MessagePresenter() = default;

  // Shows `text` titled `title`, modally over `parent`, and returns once the
  // user dismissed it. Cannot fail.
  virtual void ShowMessage(QWidget* parent, const QString& title,
                           const QString& text) = 0;
};

// A modal message box with the plain text, a single OK button and no icon.
class MessageBoxPresenter : public MessagePresenter {
 public:
  void ShowMessage(QWidget* parent, const QString& title,
                   const QString& text) override;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_MESSAGE_PRESENTER_H_
