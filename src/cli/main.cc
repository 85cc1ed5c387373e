// mirlot: the command-line front end.
#include <CLI/CLI.hpp>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "runtime/console.h"

#ifndef MIRLOT_VERSION
#define MIRLOT_VERSION "unknown"
#endif

int main(int argc, char** argv) {
  CLI::App app{
      "Mirlot packs the data files named in a list file into one binary image, "
      "out.bin, and writes report.txt beside it; it lists, checks and "
      "extracts such images."};
  app.name("mirlot");
  app.set_version_flag("--version", "mirlot " MIRLOT_VERSION);
  app.require_subcommand(1);
  int exit_status = mirlot::kExitSuccess;
  mirlot::AddPackCommand(app, exit_status);
  mirlot::AddInspectCommand(app, exit_status);
  mirlot::AddExtractCommand(app, exit_status);
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
