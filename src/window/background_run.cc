#include "window/background_run.h"

#include <atomic>
#include <utility>

#include "packing/messages.h"

namespace mirlot {

// Hands each message to the window's thread and waits there until the user
// dismissed it.
class BackgroundRun::WindowThreadSink : public MessageSink {
 public:
  explicit WindowThreadSink(BackgroundRun& run) : run_(run) {}
  void Show(std::string_view text, MessageKind,
            std::string_view detail) override {
    const WindowMessage message{kWindowTitle, std::string(text),
                                std::string(detail)};
    run_.host_.CallOnWindowThread(
        [this, &message] { run_.ShowMessage(message); });
  }

 private:
  BackgroundRun& run_;
};

BackgroundRun::BackgroundRun(RunHost& host, RunTiming timing,
                             ShowMessageCall show, StartWorkerCall start_worker)
    : host_(host),
      timing_(timing),
      show_(std::move(show)),
      start_worker_(std::move(start_worker)),
      progress_([this] { host_.CallOnWindowThread([this] { Refresh(); }); }) {}

BackgroundRun::~BackgroundRun() = default;

RunOutcome BackgroundRun::Run(const RunRequest& request,
                              FileSystem& file_system) {
  return Run(
      [&](MessageSink& sink, RunObserver& observer) {
        return RunPacking(request, file_system, sink, observer);
      },
      "Packing");
}

RunOutcome BackgroundRun::Run(const Work& work, std::string doing) {
  doing_ = std::move(doing);
  started_ = std::chrono::steady_clock::now();
  WindowThreadSink sink(*this);
  RunOutcome outcome = RunOutcome::kFailed;
  std::atomic<bool> ended{false};
  std::optional<std::thread> worker = start_worker_([&] {
    outcome = work(sink, progress_);
    ended.store(true);
    host_.WakeWindowThread();
  });
  if (!worker) {
    // No room for another thread: the run fails as any run short of
    // memory does.
    ShowMessage(
        {kWindowTitle, FailureMessage(Status(FailureCode::kOutOfMemory)), ""});
    return RunOutcome::kFailed;
  }
  Tick();
  host_.Serve({.period = timing_.progress_refresh,
               .tick = [this] { Tick(); },
               .ended = [&ended] { return ended.load(); },
               .on_quit = [this] { progress_.RequestCancel(); }});
  worker->join();
  view_.reset();
  return outcome;
}

void BackgroundRun::Tick() {
  if (ending_) return;
  if (view_ == nullptr &&
      std::chrono::steady_clock::now() - started_ >= timing_.progress_delay) {
    view_ = host_.OpenProgress([this] { Cancel(); });
  }
  Refresh();
}

void BackgroundRun::Refresh() {
  if (view_ == nullptr) return;
  const RunState state = progress_.State();
  std::optional<std::chrono::seconds> left;
  if (state.copy) {
    left = time_left_.Update(*state.copy, std::chrono::steady_clock::now());
  }
  view_->Show(LookOfProgress(state, left, doing_));
}

void BackgroundRun::Cancel() {
  progress_.RequestCancel();
  Refresh();
}

void BackgroundRun::ShowMessage(const WindowMessage& message) {
  // A message means the run is ending: no progress to show any more.
  ending_ = true;
  view_.reset();
  show_(message);
}

}  // namespace mirlot
