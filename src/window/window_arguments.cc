#include "window/window_arguments.h"

#include <utility>

namespace mirlot {

namespace {

// A sentence to each option and no columns, which the proportional font of
// a message box would not line up.
std::string HelpText(bool slash_help) {
  return std::string(
             "Usage: mirlot-gui [LIST | IMAGE]\n"
             "\n"
             "Opens the Mirlot utility window, which packs the files\n"
             "named in a list file into out.bin and writes report.txt\n"
             "beside it. LIST, when given, is chosen as the list file.\n"
             "An out.bin, or a report.txt with an out.bin beside it,\n"
             "opens that image in a window of its own instead: its\n"
             "entries, Extract and Verify.\n"
             "\n"
             "--image FILE opens FILE as an image whatever its name.\n") +
         (slash_help ? "--help, -h or /? shows this help and exits.\n"
                     : "--help or -h shows this help and exits.\n") +
         "--version shows the version and exits.\n";
}

WindowStart UsageError(const std::string& what) {
  return {WindowStart::Kind::kUsageError, "",
          "mirlot-gui: " + what +
              "\nmirlot-gui: run 'mirlot-gui --help' for more information\n",
          ""};
}

}  // namespace

WindowStart ReadWindowArguments(const std::vector<std::string>& arguments,
                                std::string_view version, bool slash_help) {
  bool wants_version = false, options_ended = false, image_next = false;
  std::string unknown_option, image;
  std::vector<std::string> lists;
  for (const std::string& argument : arguments) {
    if (std::exchange(image_next, false)) {
      image = argument;
      continue;
    }
    const bool help = argument == "--help" || argument == "-h" ||
                      (slash_help && argument == "/?");
    if (help && !options_ended) {
      return {WindowStart::Kind::kHelp, "", HelpText(slash_help), ""};
    } else if (options_ended || argument == "-" || !argument.starts_with('-')) {
      lists.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--image") {
      image_next = true;
    } else if (argument == "--version") {
      wants_version = true;
    } else if (unknown_option.empty()) {
      unknown_option = argument;
    }
  }
  if (wants_version) {
    return {WindowStart::Kind::kVersion, "",
            "mirlot-gui " + std::string(version) + "\n", ""};
  }
  if (!unknown_option.empty()) {
    return UsageError("unknown option '" + unknown_option + "'");
  }
  if (image_next) return UsageError("--image needs a FILE");
  if (lists.size() > 1) {
    return UsageError("one LIST at most, not " + std::to_string(lists.size()));
  }
  if (!image.empty() && !lists.empty()) {
    return UsageError("either LIST or --image FILE, not both");
  }
  return {WindowStart::Kind::kWindow, lists.empty() ? "" : lists.front(), "",
          image};
}

}  // namespace mirlot
