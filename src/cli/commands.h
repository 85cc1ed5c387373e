// The subcommands of the `mirlot` command line. Each Add… function registers
// its subcommand on `app`; the subcommand stores its exit status in
// `exit_status` when it runs.
#ifndef MIRLOT_CLI_COMMANDS_H_
#define MIRLOT_CLI_COMMANDS_H_

#include <CLI/CLI.hpp>

namespace mirlot {

// Exit statuses shared by all subcommands.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;

void AddPackCommand(CLI::App& app, int& exit_status);
void AddInspectCommand(CLI::App& app, int& exit_status);
void AddExtractCommand(CLI::App& app, int& exit_status);
void AddVerifyCommand(CLI::App& app, int& exit_status);

}  // namespace mirlot

#endif  // MIRLOT_CLI_COMMANDS_H_
