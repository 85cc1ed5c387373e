#include "window/shared_progress.h"

#include <utility>

#include "progress/progress_text.h"

namespace mirlot {

SharedProgress::SharedProgress(std::function<void()> on_phase)
    : on_phase_(std::move(on_phase)) {}

void SharedProgress::OnProgress(const CopyProgress& progress) {
  const std::lock_guard<std::mutex> lock(mutex_);
  state_.copy = progress;
}

void SharedProgress::OnSaving() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    state_.saving = true;
  }
  on_phase_();
}

void SharedProgress::OnWaitingForFolder(const std::string& folder,
                                        bool waiting) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    state_.waiting_for = waiting ? folder : std::string();
  }
  on_phase_();
}

void SharedProgress::OnWarning(const std::string& text) {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    state_.warnings.push_back(text);
  }
  on_phase_();
}

bool SharedProgress::CancelRequested() {
  return cancel_requested_.load(std::memory_order_relaxed);
}

void SharedProgress::RequestCancel() {
  cancel_requested_.store(true, std::memory_order_relaxed);
}

RunState SharedProgress::State() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  RunState state = state_;
  state.cancelling = cancel_requested_.load(std::memory_order_relaxed);
  return state;
}

}  // namespace mirlot
