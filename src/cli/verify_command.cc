// mirlot verify [-q] LIST: checks the out.bin and report.txt beside LIST
// against the members LIST names now.
#include <memory>
#include <string>

#include "cli/command_output.h"
#include "cli/commands.h"
#include "cli/terminal_progress.h"
#include "format/output_names.h"
#include "packing/listed_differences.h"
#include "packing/output_verification.h"
#include "reading/output_pair.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

int CannotRead(CommandOutput& output, const Status& failure) {
  output.Say("cannot read " + failure.description());
  return kExitUsage;
}

// Opens the image at `image_path` and the report beside it as one pair,
// as inspect and extract do.
// On failure returns the failure, its description led by the path.
Result<OutputPair> OpenOutputs(FileSystem& file_system,
                               const std::string& image_path) {
  Result<OutputPair> pair = OpenImageAndReport(file_system, image_path);
  if (!pair.ok()) return pair.status().About(image_path);
  if (!pair->report.ok()) return pair->report.status().About(pair->report_path);
  return pair;
}

int RunVerify(const std::string& list_path, bool quiet) {
  CommandOutput output("verify");
  FileSystem& file_system = HostFileSystem();
  if (Result<FileStatus> list = file_system.Stat(list_path); !list.ok()) {
    return CannotRead(output, list.status().About(list_path));
  }
  const std::string image_path = ResolveIn(ParentFolder(list_path), kImageName);
  Result<OutputPair> outputs = OpenOutputs(file_system, image_path);
  if (!outputs.ok()) return CannotRead(output, outputs.status());
  if (!outputs->warning.empty()) output.Say(outputs->warning);
  TerminalProgress progress(output, !quiet, "Verifying");
  ListedDifferences differences;
  Result<std::uint64_t> count = VerifyOutputs(
      file_system, list_path, {*outputs->image, **outputs->report}, differences,
      progress);
  if (count.status().Is(FailureCode::kUserInterrupt)) {
    output.Say("cancelled; nothing was written");
    return progress.InterruptExitStatus();
  }
  if (!count.ok()) return CannotRead(output, count.status());
  for (const std::string& text : differences.listed()) {
    output.Say(text, stdout);
  }
  if (const std::string more = differences.MoreLine(); !more.empty()) {
    output.Say(more, stdout);
  }
  if (*count == 0) {
    output.Say(
        image_path + " and " + outputs->report_path + " match " + list_path,
        stdout);
  }
  return output.Finish(*count == 0 ? kExitSuccess : kExitFailure);
}

}  // namespace

void AddVerifyCommand(CLI::App& app, int& exit_status) {
  CLI::App* verify = app.add_subcommand(
      "verify",
      "Check that the out.bin and report.txt beside LIST are, byte for byte, "
      "what pack would write for the files LIST names now, and say the "
      "first entries that differ. Exit status: 0 the same, 1 different, 2 "
      "usage error or unreadable list, image or report.");
  auto list_path = std::make_shared<std::string>();
  verify->add_option("LIST", *list_path, "The list file that was packed")
      ->required();
  auto quiet = std::make_shared<bool>(false);
  verify->add_flag("-q,--quiet", *quiet,
                   "Show no progress line on the terminal");
  verify->callback([list_path, quiet, &exit_status] {
    exit_status = RunVerify(*list_path, *quiet);
  });
}

}  // namespace mirlot
