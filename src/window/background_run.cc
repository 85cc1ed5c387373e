#include "window/background_run.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>
#include <QWidget>
#include <functional>
#include <utility>

#include "window/input_blocker.h"

namespace mirlot {

namespace {

// Hands each message to `show` on the thread of `context` and waits there
// until it returns, that is, until the user dismissed the message.
class CrossThreadSink : public MessageSink {
 public:
  CrossThreadSink(QObject& context,
                  std::function<void(const std::string&)> show)
      : context_(context), show_(std::move(show)) {}

  void Show(std::string_view text, MessageKind) override {
    const std::string message(text);
    if (QThread::currentThread() == context_.thread()) {
      show_(message);  // the run fell back to the window's own thread
      return;
    }
    QMetaObject::invokeMethod(
        &context_, [this, &message] { show_(message); },
        Qt::BlockingQueuedConnection);
  }

 private:
  QObject& context_;
  std::function<void(const std::string&)> show_;
};

}  // namespace

BackgroundRun::BackgroundRun(QWidget& window, MessagePresenter& presenter,
                             RunTiming timing)
    : window_(window), presenter_(presenter), timing_(timing) {
  delay_timer_.setSingleShot(true);
  connect(&delay_timer_, &QTimer::timeout, this,
          &BackgroundRun::OpenProgressDialog);
  connect(&refresh_timer_, &QTimer::timeout, this,
          &BackgroundRun::RefreshProgressDialog);
}

BackgroundRun::~BackgroundRun() = default;

RunOutcome BackgroundRun::Run(const RunRequest& request,
                              FileSystem& file_system) {
  RunOutcome outcome = RunOutcome::kFailed;
  CrossThreadSink sink(*this,
                       [this](const std::string& text) { ShowMessage(text); });
  std::unique_ptr<QThread> worker(QThread::create(
      [&] { outcome = RunPacking(request, file_system, sink, progress_); }));
  QEventLoop loop;
  connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit);
  InputBlocker blocker(window_);
  delay_timer_.start(timing_.progress_delay);
  worker->start();
  if (!worker->isRunning() && !worker->isFinished()) {
    // The system would not start a thread: run here, at the cost of a
    // window that does not repaint until the run ends.
    outcome = RunPacking(request, file_system, sink, progress_);
    delay_timer_.stop();
    return outcome;
  }
  loop.exec();
  if (!worker->isFinished()) {
    // The application is quitting: stop the run, still serving its
    // messages so that the worker never waits for this thread in vain.
    progress_.RequestCancel();
    while (!worker->wait(QDeadlineTimer(10))) {
      QCoreApplication::processEvents();
    }
  }
  worker->wait();
  delay_timer_.stop();
  CloseProgressDialog();
  return outcome;
}

void BackgroundRun::ShowMessage(const std::string& text) {
  // A message means the run is ending: no progress to show any more.
  delay_timer_.stop();
  CloseProgressDialog();
  presenter_.ShowMessage(&window_, window_.windowTitle().toStdString(), text);
}

void BackgroundRun::OpenProgressDialog() {
  dialog_ = std::make_unique<ProgressDialog>(
      window_, [this] { progress_.RequestCancel(); });
  RefreshProgressDialog();
  dialog_->show();
  refresh_timer_.start(timing_.progress_refresh);
}

void BackgroundRun::RefreshProgressDialog() {
  if (dialog_ == nullptr) return;
  const std::string waiting_for = progress_.waiting_for();
  if (!waiting_for.empty()) {
    dialog_->ShowWaiting(
        QString::fromStdString(WaitingForFolderText(waiting_for)));
  } else {
    dialog_->ShowProgress(progress_.done(), progress_.total());
  }
}

void BackgroundRun::CloseProgressDialog() {
  refresh_timer_.stop();
  dialog_.reset();
}

}  // namespace mirlot
