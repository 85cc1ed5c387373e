#include "window/progress_look.h"

#include "progress/progress_text.h"

namespace mirlot {

namespace {

ProgressLook LookOfPhase(const RunState& state,
                         std::optional<std::chrono::seconds> left,
                         std::string_view doing) {
  if (state.cancelling) return {"Cancelling\u2026", std::nullopt, false};
  if (!state.waiting_for.empty()) {
    return {"Waiting for another run to finish writing into " +
                state.waiting_for + "\u2026",
            std::nullopt};
  }
  if (state.saving) return {kSavingText, std::nullopt};
  if (!state.copy) return {std::string(doing) + "\u2026", 0};
  return {ProgressText(*state.copy, left, doing),
          ProgressPermille(*state.copy)};
}

}  // namespace

ProgressLook LookOfProgress(const RunState& state,
                            std::optional<std::chrono::seconds> left,
                            std::string_view doing) {
  ProgressLook look = LookOfPhase(state, left, doing);
  for (const std::string& warning : state.warnings) {
    look.text += "\nWarning: " + warning;
  }
  return look;
}

}  // namespace mirlot
