// A packing run started from the window. The run works on a thread of its
// own so that the window keeps painting; its messages come back to the
// window's thread one at a time, and a run that takes a while shows a
// progress dialog with Cancel.
#ifndef MIRLOT_WINDOW_BACKGROUND_RUN_H_
#define MIRLOT_WINDOW_BACKGROUND_RUN_H_

#include <QObject>
#include <QString>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>

#include "packing/packing_run.h"
#include "window/message_presenter.h"
#include "window/progress_dialog.h"

class QWidget;

namespace mirlot {

struct RunTiming {
  // How long a run works before the progress dialog appears.
  std::chrono::milliseconds progress_delay{500};
  // How often the open progress dialog takes the latest numbers.
  std::chrono::milliseconds progress_refresh{100};
};

// Progress and the cancel request, shared between the worker that runs the
// packing and the window's thread that shows them.
class SharedProgress : public RunObserver {
 public:
  void OnProgress(std::uint64_t done, std::uint64_t total) override;
  bool CancelRequested() override;

  void RequestCancel();
  std::uint64_t done() const;
  std::uint64_t total() const;

 private:
  std::atomic<std::uint64_t> done_{0};
  std::atomic<std::uint64_t> total_{0};
  std::atomic<bool> cancel_requested_{false};
};

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
  void ShowMessage(const QString& text);
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
