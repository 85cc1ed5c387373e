// What the main window does, the same for every toolkit: the toolkit's
// window draws the controls and forwards its events here.
#ifndef MIRLOT_WINDOW_FORM_CORE_H_
#define MIRLOT_WINDOW_FORM_CORE_H_

#include <optional>
#include <string>
#include <vector>

#include "window/background_run.h"
#include "window/image_choice.h"
#include "window/list_choice.h"
#include "window/run_host.h"
#include "window/window_services.h"

namespace mirlot {

template <typename Parent>
class FormCore {
 public:
  explicit FormCore(WindowServicesFor<Parent> services) : services_(services) {}

  const ListChoice& choice() const { return choice_; }
  bool running() const { return running_; }

  // cmdPath: asks for a list over `parent`; a cancelled choice changes
  // nothing. Returns whether the choice changed.
  bool ChooseList(Parent parent) {
    if (running_) return false;
    std::optional<std::string> chosen =
        services_.chooser.ChooseList(parent, choice_.ChooserFolder());
    if (!chosen) return false;
    choice_.Choose(std::move(*chosen));
    return true;
  }

  // Paths dropped onto the window (full paths) that name an image
  // (DroppedImage): the image to open beside the window, or nothing, when
  // they are offered as a list.
  std::optional<std::string> ImageDropped(
      const std::vector<std::string>& paths) {
    if (running_) return std::nullopt;
    return DroppedImage(paths, services_.file_system);
  }

  // Paths dropped onto the window (full paths): see ListChoice::Offer.
  // Returns whether the choice changed.
  bool Drop(const std::vector<std::string>& paths) {
    return !running_ && choice_.Offer(paths, services_.file_system);
  }

  // The list given to the program (a full path): when it is not an
  // existing file, says so over `parent` and keeps the choice. Returns
  // whether the choice changed.
  bool OfferArgument(Parent parent, const std::string& path) {
    const std::optional<std::string> refusal =
        choice_.OfferArgument(path, services_.file_system);
    if (refusal)
      services_.presenter.ShowMessage(parent, {kWindowTitle, *refusal, ""});
    return !refusal;
  }

  // cmdStart: packs the chosen list, if any, through `host`, its messages
  // shown over `parent`; a second Start while a run works is dropped.
  void Start(RunHost& host, Parent parent) {
    if (running_) return;
    running_ = true;
    BackgroundRun run(host, services_.timing,
                      [this, parent](const WindowMessage& message) {
                        services_.presenter.ShowMessage(parent, message);
                      });
    (void)run.Run(choice_.StartRequest(), services_.file_system);
    running_ = false;
  }

 private:
  WindowServicesFor<Parent> services_;
  ListChoice choice_;
  bool running_ = false;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_FORM_CORE_H_
