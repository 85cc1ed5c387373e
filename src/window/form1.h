// The program's one window: it holds the chosen list (whether one was
// chosen, and its path as the caption of lblPath) and hands both to the
// packing run when Start is pressed.
#ifndef MIRLOT_WINDOW_FORM1_H_
#define MIRLOT_WINDOW_FORM1_H_

#include <QWidget>

#include "runtime/file_system.h"
#include "window/background_run.h"
#include "window/list_chooser.h"
#include "window/message_presenter.h"

class QPushButton;

namespace mirlot {

class PathLabel;

inline constexpr char kWindowTitle[] = "Mirlot utility";
inline constexpr char kNoPathCaption[] = "Path";

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

  bool list_chosen() const { return list_chosen_; }

 private:
  void CreateControls();
  // cmdPath: asks for a list; a cancelled choice changes nothing.
  void ChooseList();
  // cmdStart: runs the packing with the chosen list, if any.
  void StartRun();

  WindowServices services_;
  bool list_chosen_ = false;
  bool running_ = false;
  PathLabel* lbl_path_ = nullptr;
  QPushButton* cmd_path_ = nullptr;
  QPushButton* cmd_start_ = nullptr;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_FORM1_H_
