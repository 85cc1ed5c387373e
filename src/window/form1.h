// The program's one window (Qt): it holds the chosen list and hands it to
// the packing run when Start is pressed. A list dropped onto the window
// counts as a choice.
#ifndef MIRLOT_WINDOW_FORM1_H_
#define MIRLOT_WINDOW_FORM1_H_

#include <QStringList>
#include <QWidget>

#include "runtime/file_system.h"
#include "window/background_run.h"
#include "window/list_choice.h"
#include "window/list_chooser.h"
#include "window/message_presenter.h"

class QPushButton;

namespace mirlot {

class PathLabel;

// What the window works with; the real program passes the file dialog, the
// message box and the host's file system, tests pass fakes.
struct WindowServices {
  ListChooser& chooser;
  MessagePresenter& presenter;
  FileSystem& file_system;
  RunTiming timing = {};
};

class Form1 : public QWidget {
  Q_OBJECT

 public:
  explicit Form1(WindowServices services, QWidget* parent = nullptr);

  bool list_chosen() const { return choice_.chosen(); }

  // Lists offered by a drop or on the command line (full paths): one list
  // becomes the chosen one; a folder or several paths change nothing.
  void OfferLists(const QStringList& paths);

 protected:
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  void CreateControls();
  // cmdPath: asks for a list; a cancelled choice changes nothing.
  void ChooseList();
  // cmdStart: runs the packing with the chosen list, if any.
  void StartRun();
  void ShowChoice();

  WindowServices services_;
  ListChoice choice_;
  bool running_ = false;
  PathLabel* lbl_path_ = nullptr;
  QPushButton* cmd_path_ = nullptr;
  QPushButton* cmd_start_ = nullptr;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_FORM1_H_
