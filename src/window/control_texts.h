// What each control of the windows says, held once for every toolkit: its
// caption with its access key, and what screen readers and tooltips tell
// of it. Both toolkits mark an access key with '&' before its letter and
// show "&&" as '&', so a caption reads the same to either.
#ifndef MIRLOT_WINDOW_CONTROL_TEXTS_H_
#define MIRLOT_WINDOW_CONTROL_TEXTS_H_

#include <string>

namespace mirlot {

// A control's texts; "" where the control has none of that kind.
struct ControlTexts {
  const char* caption;
  // What screen readers call the control, when not its caption.
  const char* accessible_name;
  // What screen readers say the control does.
  const char* description;
  const char* tooltip;
};

// The main window's path label, before a list is chosen (after, it shows
// the list's path); its access key moves on to the path button.
inline constexpr ControlTexts kPathLabelTexts = {"&Path", "", "", ""};
inline constexpr ControlTexts kPathButtonTexts = {
    "...", "Choose list file",
    "Opens the file chooser to choose the list of files to pack",
    "Choose list file"};
inline constexpr ControlTexts kStartButtonTexts = {
    "&Start", "",
    "Packs the listed files into out.bin and report.txt beside the list", ""};
// The progress window's one button.
inline constexpr ControlTexts kCancelButtonTexts = {"Cancel", "", "", ""};

// `text` as a caption that shows it as it is: every '&' doubled, so that
// none marks an access key.
std::string WithoutAccessKey(const std::string& text);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_CONTROL_TEXTS_H_
