// mirlot verify [-q] LIST: checks the out.bin and report.txt beside LIST
// against the members LIST names now.
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/output_text.h"
#include "cli/terminal_progress.h"
#include "format/output_names.h"
#include "packing/output_verification.h"
#include "reading/output_pair.h"
#include "runtime/console.h"
#include "runtime/number_text.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

// Differences listed one by one; the rest are counted.
constexpr std::uint64_t kListedDifferences = 10;

void Say(std::FILE* stream, const std::string& text) {
  WriteLine(stream, "mirlot verify: " + TerminalText(text));
}

int CannotRead(const Status& failure) {
  Say(stderr, "cannot read " + failure.description());
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

// Lists the first differences on standard output, erasing the progress
// line before each, and counts the rest.
class ListedDifferences : public DifferenceSink {
 public:
  explicit ListedDifferences(TerminalProgress& progress)
      : progress_(progress) {}

  void OnDifference(const std::string& text) override {
    if (++count_ > kListedDifferences) return;
    progress_.Clear();
    Say(stdout, text);
  }

  // Says how many differences were not listed.
  void Finish() {
    if (count_ <= kListedDifferences) return;
    Say(stdout, "and " + GroupedNumber(count_ - kListedDifferences) +
                    " more differences");
  }

 private:
  TerminalProgress& progress_;
  std::uint64_t count_ = 0;
};

int RunVerify(const std::string& list_path, bool quiet) {
  FileSystem& file_system = HostFileSystem();
  if (Result<FileStatus> list = file_system.Stat(list_path); !list.ok()) {
    return CannotRead(list.status().About(list_path));
  }
  const std::string image_path = ResolveIn(ParentFolder(list_path), kImageName);
  Result<OutputPair> outputs = OpenOutputs(file_system, image_path);
  if (!outputs.ok()) return CannotRead(outputs.status());
  if (!outputs->warning.empty()) Say(stderr, outputs->warning);
  TerminalProgress progress(stderr, !quiet, "Verifying");
  ListedDifferences differences(progress);
  Result<std::uint64_t> count = VerifyOutputs(
      file_system, list_path, {*outputs->image, **outputs->report}, differences,
      progress);
  progress.Clear();
  if (count.status().Is(FailureCode::kUserInterrupt)) {
    return progress.InterruptExitStatus();
  }
  if (!count.ok()) return CannotRead(count.status());
  differences.Finish();
  if (*count == 0) {
    Say(stdout,
        image_path + " and " + outputs->report_path + " match " + list_path);
  }
  if (!StandardOutputWritten()) {
    Say(stderr, "cannot write to standard output");
    return kExitUsage;
  }
  return *count == 0 ? kExitSuccess : kExitFailure;
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
