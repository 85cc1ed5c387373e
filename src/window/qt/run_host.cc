#include "window/qt/run_host.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

#include "window/qt/input_blocker.h"
#include "window/qt/progress_dialog.h"

namespace mirlot {

QtRunHost::QtRunHost(QWidget& window) : window_(window) {}

void QtRunHost::CallOnWindowThread(const std::function<void()>& task) {
  QMetaObject::invokeMethod(this, task, Qt::BlockingQueuedConnection);
}

void QtRunHost::WakeWindowThread() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (loop_ != nullptr) loop_->quit();
      },
      Qt::QueuedConnection);
}

void QtRunHost::Serve(const ServeCalls& calls) {
  QtInputBlocker blocker(window_);
  QTimer timer;
  connect(&timer, &QTimer::timeout, this, calls.tick);
  timer.start(calls.period);
  QEventLoop loop;
  loop_ = &loop;
  if (!calls.ended()) loop.exec();
  loop_ = nullptr;
  if (calls.ended()) return;
  // The loop ended as the application quits: stop the run, still serving
  // its calls so that the worker never waits for this thread in vain.
  calls.on_quit();
  while (!calls.ended()) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
}

std::unique_ptr<ProgressView> QtRunHost::OpenProgress(
    std::function<void()> on_cancel) {
  return std::make_unique<QtProgressDialog>(window_, std::move(on_cancel));
}

}  // namespace mirlot
