// How a window asks the user for a list and shows the messages of a run.
// `Parent` is the toolkit's window handle; the real implementations are a
// file dialog and a message box, tests substitute a scripted user.
#ifndef MIRLOT_WINDOW_WINDOW_SERVICES_H_
#define MIRLOT_WINDOW_WINDOW_SERVICES_H_

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "packing/run_observer.h"

namespace mirlot {

// The one filter the chooser offers: its description and its pattern.
inline constexpr char kListFilterName[] = "List of files *.txt";
inline constexpr char kListFilterPattern[] = "*.txt";

template <typename Parent>
class ListChooserFor {
 public:
  virtual ~ListChooserFor() = default;

  // Lets the user pick an existing file, modally over `parent`, starting in
  // `start_folder` (the current folder when empty; UTF-8).
  // On success returns the chosen file's full path (UTF-8). When the user
  // cancels, returns nothing.
  virtual std::optional<std::string> ChooseList(
      Parent parent, const std::string& start_folder) = 0;
};

template <typename Parent>
class MessagePresenterFor {
 public:
  virtual ~MessagePresenterFor() = default;

  // Shows `text` titled `title` (both UTF-8) with a single OK button and no
  // icon, modally over `parent`, and returns once the user dismissed it.
  // Cannot fail.
  virtual void ShowMessage(Parent parent, const std::string& title,
                           const std::string& text) = 0;
};

struct RunTiming {
  // How long a run works before the progress window appears.
  std::chrono::milliseconds progress_delay{500};
  // How often the open progress window takes the latest numbers.
  std::chrono::milliseconds progress_refresh{100};
};

// Progress and the cancel request, shared between the worker that runs the
// packing and the window's thread that shows them.
class SharedProgress : public RunObserver {
 public:
  void OnProgress(const CopyProgress& progress) override {
    total_.store(progress.bytes_total, std::memory_order_relaxed);
    done_.store(progress.bytes_done, std::memory_order_relaxed);
  }
  bool CancelRequested() override {
    return cancel_requested_.load(std::memory_order_relaxed);
  }
  void OnWaitingForFolder(const std::string& folder, bool waiting) override {
    const std::lock_guard<std::mutex> lock(waiting_mutex_);
    waiting_for_ = waiting ? folder : std::string();
  }

  void RequestCancel() {
    cancel_requested_.store(true, std::memory_order_relaxed);
  }
  std::uint64_t done() const { return done_.load(std::memory_order_relaxed); }
  std::uint64_t total() const { return total_.load(std::memory_order_relaxed); }
  // The folder another run is writing into while this run waits for it to
  // finish, or "" when the run is not waiting.
  std::string waiting_for() const {
    const std::lock_guard<std::mutex> lock(waiting_mutex_);
    return waiting_for_;
  }

 private:
  std::atomic<std::uint64_t> done_{0};
  std::atomic<std::uint64_t> total_{0};
  std::atomic<bool> cancel_requested_{false};
  mutable std::mutex waiting_mutex_;
  std::string waiting_for_;
};

// What the progress window says while the run waits for another run that
// is writing its outputs into `folder` (UTF-8).
inline std::string WaitingForFolderText(const std::string& folder) {
  return "Waiting for another run to finish writing into " + folder + "\u2026";
}

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WINDOW_SERVICES_H_
