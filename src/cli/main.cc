// mirlot: the command-line front end.
#include <CLI/CLI.hpp>
#include <cctype>
#include <iterator>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/commands.h"
#include "cli/help_format.h"
#include "runtime/console.h"

namespace {

// The option of `command` that the parser's `message` names, or nullptr.
const CLI::Option* NamedOption(const CLI::App* command,
                               std::string_view message) {
  for (const CLI::Option* option : command->get_options()) {
    if (message.find(option->get_name()) != std::string_view::npos) {
      return option;
    }
  }
  return nullptr;
}

// What `option` takes, as its usage error says it: "a folder name".
std::string ValueNoun(const CLI::Option* option) {
  return option->get_option_text() == "DIR" ? "a folder name" : "a value";
}

// The first word the parser did not take among `rest`, said as an unknown
// option or an unexpected argument.
std::string Unexpected(const std::vector<std::string>& rest) {
  for (const std::string& word : rest) {
    if (word == "--") continue;
    if (word.starts_with('-')) return "unknown option '" + word + "'";
    return "unexpected argument '" + word + "'";
  }
  return "unexpected arguments";
}

// The parser's own sentence, to continue a line: its capital lowered, but
// not that of a name in capitals (LIST).
std::string Continued(std::string what) {
  if (what.size() > 1 && std::islower(static_cast<unsigned char>(what[1]))) {
    what[0] =
        static_cast<char>(std::tolower(static_cast<unsigned char>(what[0])));
  }
  return what;
}

// What the parser found wrong with the words for `command`, in our words;
// `rest` are the words no command took.
std::string WhatWasWrong(const CLI::App* command, const CLI::Error& error,
                         const std::vector<std::string>& rest) {
  if (dynamic_cast<const CLI::ExtrasError*>(&error) != nullptr) {
    return Unexpected(rest);
  }
  const CLI::Option* option = NamedOption(command, error.what());
  if (option == nullptr) return Continued(error.what());
  const std::string name = option->get_name();
  if (dynamic_cast<const CLI::RequiredError*>(&error) != nullptr) {
    return "missing " + name;
  }
  if (dynamic_cast<const CLI::ArgumentMismatch*>(&error) != nullptr) {
    return name + " needs " + ValueNoun(option);
  }
  if (dynamic_cast<const CLI::ConversionError*>(&error) != nullptr ||
      dynamic_cast<const CLI::ValidationError*>(&error) != nullptr) {
    return option->get_expected_max() == 0 ? name + " takes no value"
                                           : "invalid value for " + name;
  }
  return Continued(error.what());
}

// A usage error as one line that names the command and what was wrong, then
// where to read more: "mirlot: unknown command 'bogus'".
std::string UsageError(const CLI::App* app, const CLI::Error& error) {
  std::string command = app->get_name();
  std::string what;
  const std::vector<CLI::App*> chosen = app->get_subcommands();
  const std::vector<std::string> rest = app->remaining(true);
  if (!chosen.empty()) {
    command += " " + chosen.front()->get_name();
    what = WhatWasWrong(chosen.front(), error, rest);
  } else if (rest.empty()) {
    what = "a command is required: pack, inspect, extract or verify";
  } else if (rest.front().starts_with('-')) {
    what = "unknown option '" + rest.front() + "'";
  } else {
    what = "unknown command '" + rest.front() + "'";
  }
  return command + ": " + what + "\n" + command + ": run '" + command +
         " --help' for more information\n";
}

// How a command fails when memory runs out where the command cannot turn
// that into a failure of its own: while the command line is set up or read,
// or while the outcome is told. Pack says it as any run's failure.
struct OutOfMemoryExit {
  std::string_view command;
  std::string_view message;
  int exit_status;
};
constexpr OutOfMemoryExit kOutOfMemoryExits[] = {
    {"pack", "Ошибка 7Out of memory", mirlot::kExitFailure},
    {"inspect", "mirlot inspect: Out of memory", mirlot::kExitUsage},
    {"extract", "mirlot extract: Out of memory", mirlot::kExitFailure},
    {"verify", "mirlot verify: Out of memory", mirlot::kExitUsage},
    {"", "mirlot: Out of memory", mirlot::kExitFailure},
};

// Tells that memory ran out in the command `argv` names. Returns its exit
// status.
int FailForMemory(int argc, char** argv) {
  const std::string_view command = argc > 1 ? argv[1] : "";
  const OutOfMemoryExit* exit = std::end(kOutOfMemoryExits) - 1;
  for (const OutOfMemoryExit& candidate : kOutOfMemoryExits) {
    if (candidate.command == command) exit = &candidate;
  }
  try {
    mirlot::WriteLine(stderr, exit->message);
  } catch (const std::bad_alloc&) {
    // Not even that much memory: the exit status tells it alone.
  }
  return exit->exit_status;
}

int RunCommandLine(int argc, char** argv) {
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

}  // namespace

int main(int argc, char** argv) {
  mirlot::PrepareStandardStreams();
  try {
    return RunCommandLine(argc, argv);
  } catch (const std::bad_alloc&) {
    return FailForMemory(argc, argv);
  }
}
