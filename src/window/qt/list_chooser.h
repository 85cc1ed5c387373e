// The Qt window's open-file chooser.
#ifndef MIRLOT_WINDOW_QT_LIST_CHOOSER_H_
#define MIRLOT_WINDOW_QT_LIST_CHOOSER_H_

#include <optional>
#include <string>

#include "window/window_services.h"

class QWidget;

namespace mirlot {

using QtListChooser = ListChooserFor<QWidget*>;

// Qt's open-file dialog with the list filters.
class QtFileDialogChooser : public QtListChooser {
 public:
  std::optional<std::string> ChooseList(
      QWidget* parent, const std::string& start_folder) override;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_QT_LIST_CHOOSER_H_
