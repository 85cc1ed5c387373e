// mirlot: the command-line front end.
#include <CLI/CLI.hpp>
#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/help_format.h"
#include "runtime/console.h"

#ifndef MIRLOT_VERSION
#define MIRLOT_VERSION "unknown"
#endif

namespace {

// A usage error as one line that names the command and what was wrong, then
// where to read more: "mirlot: unknown command 'bogus'".
std::string UsageError(const CLI::App* app, const CLI::Error& error) {
  std::string command = app->get_name();
  std::string what = error.what();
  const std::vector<CLI::App*> chosen = app->get_subcommands();
  const std::vector<std::string> rest = app->remaining();
  if (!chosen.empty()) {
    command += " " + chosen.front()->get_name();
  } else if (rest.empty()) {
    what = "a command is required: pack, inspect, extract or verify";
  } else if (rest.front().starts_with('-')) {
    what = "unknown option '" + rest.front() + "'";
  } else {
    what = "unknown command '" + rest.front() + "'";
  }
  // The parser's sentences start with a capital; ours continue a line. Names
  // in capitals (LIST) stay.
  if (what.size() > 1 && std::islower(static_cast<unsigned char>(what[1]))) {
    what[0] =
        static_cast<char>(std::tolower(static_cast<unsigned char>(what[0])));
  }
  return command + ": " + what + "\n" + command + ": run '" + command +
         " --help' for more information\n";
}

}  // namespace

int main(int argc, char** argv) {
  mirlot::PrepareStandardStreams();
  CLI::App app{
      "Mirlot packs the data files named in a list file into one binary image, "
      "out.bin, and writes report.txt beside it; it lists, checks and "
      "extracts such images, and verifies them against their list."};
  app.name("mirlot");
  app.set_version_flag("--version", "mirlot " MIRLOT_VERSION);
  app.require_subcommand(1);
  // Arguments that start with '/' are paths on every host; on Windows `/?`
  // comes as --help (StartCommandLine).
  app.allow_windows_style_options(false);
  app.failure_message(UsageError);
  // Before the commands are added: each takes the app's help format.
  app.formatter(std::make_shared<mirlot::HelpFormatter>());
  int exit_status = mirlot::kExitSuccess;
  mirlot::AddPackCommand(app, exit_status);
  mirlot::AddInspectCommand(app, exit_status);
  mirlot::AddExtractCommand(app, exit_status);
  mirlot::AddVerifyCommand(app, exit_status);
  try {
    // UTF-8 arguments, on Windows from the wide command line.
    std::vector<std::string> arguments = mirlot::StartCommandLine(argc, argv);
    std::vector<char*> pointers;
    for (std::string& argument : arguments) pointers.push_back(argument.data());
    app.parse(static_cast<int>(pointers.size()), pointers.data());
  } catch (const CLI::ParseError& error) {
    const int status = app.exit(error);
    return status == 0 ? mirlot::kExitSuccess : mirlot::kExitUsage;
  }
  return exit_status;
}
