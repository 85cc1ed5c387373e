// The program's one window (Qt): draws the controls at the core's places
// and forwards the user's clicks, keys and drops to the core.
#ifndef MIRLOT_WINDOW_QT_FORM1_H_
#define MIRLOT_WINDOW_QT_FORM1_H_

#include <QStringList>
#include <QWidget>
#include <functional>
#include <string>

#include "window/form_core.h"
#include "window/qt/list_chooser.h"
#include "window/qt/message_presenter.h"

class QPushButton;

namespace mirlot {

class QtPathLabel;

using QtWindowServices = WindowServicesFor<QWidget*>;

class QtForm1 : public QWidget {
  Q_OBJECT

 public:
  // Opens the image at a full path in the image window beside this one.
  using OpenImageCall = std::function<void(const std::string& path)>;

  QtForm1(QtWindowServices services, OpenImageCall open_image,
          QWidget* parent = nullptr);

  // The list given to the program, as given: chosen when it is an existing
  // file, else refused with a message.
  void OfferArgument(const QString& path);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateControls();
  void ChooseList();
  void StartRun();

  FormCore<QWidget*> core_;
  OpenImageCall open_image_;
  QtPathLabel* lbl_path_ = nullptr;
  QPushButton* cmd_path_ = nullptr;
  QPushButton* cmd_start_ = nullptr;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_QT_FORM1_H_
