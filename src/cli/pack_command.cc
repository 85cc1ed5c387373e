// mirlot pack [-q] LIST: packs the files LIST names into out.bin and
// report.txt beside it.
#include <string>

#include "cli/command_output.h"
#include "cli/commands.h"
#include "cli/terminal_progress.h"
#include "format/output_names.h"
#include "packing/packing_run.h"

namespace mirlot {

namespace {

int RunPack(const std::string& list_path, bool quiet) {
  CommandOutput output("pack");
  TerminalProgress progress(output, !quiet);
  const RunOutcome outcome =
      RunPacking({.list_path = list_path}, HostFileSystem(), output, progress);
  switch (outcome) {
    case RunOutcome::kDone:
      return kExitSuccess;
    case RunOutcome::kCancelled:
      output.Say("cancelled; " + std::string(kImageName) + " and " +
                 std::string(kReportName) + " are as they were");
      return progress.InterruptExitStatus();
    default:
      return kExitFailure;
  }
}

}  // namespace

void AddPackCommand(CLI::App& app, int& exit_status) {
  CLI::App* pack = app.add_subcommand(
      "pack",
      "Pack the files named in LIST into out.bin and write report.txt, both "
      "beside LIST. Exit status: 0 done (an empty list included), 1 refused "
      "or failed, 2 usage error.");
  auto list_path = std::make_shared<std::string>();
  pack->add_option("LIST", *list_path,
                   "List file: member paths separated by commas or line ends; "
                   "relative paths are taken from the list's folder")
      ->required();
  auto quiet = std::make_shared<bool>(false);
  pack->add_flag("-q,--quiet", *quiet, "Show no progress line on the terminal");
  pack->callback([list_path, quiet, &exit_status] {
    exit_status = RunPack(*list_path, *quiet);
  });
}

}  // namespace mirlot
