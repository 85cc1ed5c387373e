// The Qt window's message box.
#ifndef MIRLOT_WINDOW_MESSAGE_PRESENTER_H_
#define MIRLOT_WINDOW_MESSAGE_PRESENTER_H_

#include <string>

#include "window/window_services.h"

class QWidget;

namespace mirlot {

using MessagePresenter = MessagePresenterFor<QWidget*>;

// A modal message box with the plain text, a single OK button and no icon.
class MessageBoxPresenter : public MessagePresenter {
 public:
  void ShowMessage(QWidget* parent, const std::string& title,
                   const std::string& text) override;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_MESSAGE_PRESENTER_H_
