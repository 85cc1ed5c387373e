#include "window/window_arguments.h"

namespace mirlot {

namespace {

constexpr char kHelpText[] =
    "Usage: mirlot-gui [LIST]\n"
    "\n"
    "Opens the Mirlot utility window, which packs the files named in a list\n"
    "file into out.bin and writes report.txt beside it. LIST, when given, is\n"
    "chosen as the list file.\n"
    "\n"
    "Options:\n"
    "  -h, --help  print this help and exit\n"
    "  --version   print the version and exit\n";

WindowStart UsageError(const std::string& what) {
  return {WindowStart::Kind::kUsageError, "",
          "mirlot-gui: " + what +
              "\nmirlot-gui: run 'mirlot-gui --help' for more information\n"};
}

}  // namespace

WindowStart ReadWindowArguments(const std::vector<std::string>& arguments,
                                std::string_view version) {
  bool wants_version = false, options_ended = false;
  std::string unknown_option;
  std::vector<std::string> lists;
  for (const std::string& argument : arguments) {
    if (options_ended || argument == "-" || !argument.starts_with('-')) {
      lists.push_back(argument);
    } else if (argument == "--") {
      options_ended = true;
    } else if (argument == "--help" || argument == "-h") {
      return {WindowStart::Kind::kHelp, "", kHelpText};
    } else if (argument == "--version") {
      wants_version = true;
    } else if (unknown_option.empty()) {
      unknown_option = argument;
    }
  }
  if (wants_version) {
    return {WindowStart::Kind::kVersion, "",
            "mirlot-gui " + std::string(version) + "\n"};
  }
  if (!unknown_option.empty()) {
    return UsageError("unknown option '" + unknown_option + "'");
  }
  if (lists.size() > 1) {
    return UsageError("one LIST at most, not " + std::to_string(lists.size()));
  }
  return {WindowStart::Kind::kWindow, lists.empty() ? "" : lists.front(), ""};
}

}  // namespace mirlot
