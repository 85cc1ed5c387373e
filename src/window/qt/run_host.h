// The Qt window's side of a run: its event loop, the worker's calls
// carried to the window's thread, and the progress dialog.
#ifndef MIRLOT_WINDOW_QT_RUN_HOST_H_
#define MIRLOT_WINDOW_QT_RUN_HOST_H_

#include <QObject>
#include <functional>

#include "window/run_host.h"

class QEventLoop;
class QWidget;

namespace mirlot {

class QtRunHost : public QObject, public RunHost {
 public:
  // Serves `window`'s thread.
  explicit QtRunHost(QWidget& window);

  // A blocking queued call.
  void CallOnWindowThread(const std::function<void()>& task) override;
  // A queued call that ends the loop Serve runs.
  void WakeWindowThread() override;
  // A QEventLoop, with the window's input filtered out.
  void Serve(const ServeCalls& calls) override;
  std::unique_ptr<ProgressView> OpenProgress(
      std::function<void()> on_cancel) override;

 private:
  QWidget& window_;
  QEventLoop* loop_ = nullptr;  // the loop Serve runs, while it runs
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_QT_RUN_HOST_H_
