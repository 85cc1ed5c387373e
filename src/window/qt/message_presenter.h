// The Qt window's message box.
#ifndef MIRLOT_WINDOW_QT_MESSAGE_PRESENTER_H_
#define MIRLOT_WINDOW_QT_MESSAGE_PRESENTER_H_

#include "window/window_services.h"

class QWidget;

namespace mirlot {

using QtMessagePresenter = MessagePresenterFor<QWidget*>;

// A modal QMessageBox with the plain text, the detail as its informative
// text, a single OK button and no icon.
class QtMessageBoxPresenter : public QtMessagePresenter {
 public:
  void ShowMessage(QWidget* parent, const WindowMessage& message) override;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_QT_MESSAGE_PRESENTER_H_
