// A packing run started from the window. The run works on a thread of its
// own so that the window keeps painting; its messages come back to the
// window's thread one at a time, and a run that takes a while shows a
// progress dialog with Cancel.
#ifndef MIRLOT_WINDOW_BACKGROUND_RUN_H_
#define MIRLOT_WINDOW_BACKGROUND_RUN_H_

#include <QObject>
#include <QTimer>
#include <memory>
#include <string>

#include "packing/packing_run.h"
#include "window/message_presenter.h"
#include "window/progress_dialog.h"
#include "window/window_services.h"

class QWidget;

namespace mirlot {

class BackgroundRun : public QObject {
 public:
  BackgroundRun(QWidget& window, MessagePresenter& presenter, RunTiming timing);
  ~BackgroundRun() override;

  // Runs `request` over `file_system` on a worker thread and returns the
  // outcome once the run ended. Meanwhile the calling thread, which must be
  // the window's, keeps handling events: `window` repaints but takes no
  // input; each message of the run goes to the presenter, titled with the
  // window's title, while the worker waits for it to be dismissed; after
  // the progress delay a modal dialog shows the bytes packed and offers
  // Cancel, which ends the run with nothing changed and no message.
  // Call once per object.
  RunOutcome Run(const RunRequest& request, FileSystem& file_system);

 private:
  void ShowMessage(const std::string& text);
  void OpenProgressDialog();
  void RefreshProgressDialog();
  void CloseProgressDialog();

  QWidget& window_;
  MessagePresenter& presenter_;
  RunTiming timing_;
  SharedProgress progress_;
  QTimer delay_timer_;
  QTimer refresh_timer_;
  std::unique_ptr<ProgressDialog> dialog_;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_BACKGROUND_RUN_H_
