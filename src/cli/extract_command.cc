// mirlot extract IMAGE [-o DIR] [--force]: writes each payload of an image
// to a file of its own.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/command_output.h"
#include "cli/commands.h"
#include "cli/output_text.h"
#include "reading/image_extractor.h"
#include "runtime/console.h"
#include "runtime/number_text.h"

namespace mirlot {

namespace {

// Problems listed when an unsound image is refused.
constexpr std::size_t kListedProblems = 10;

struct ExtractOptions {
  std::string image_path;
  std::string folder;  // empty: the default folder beside the image
  bool force = false;
};

class ConsoleExtractObserver : public ExtractObserver {
 public:
  explicit ConsoleExtractObserver(CommandOutput& output) : output_(output) {}

  void OnWritten(std::uint64_t number, const std::string& path,
                 std::uint64_t length) override {
    char field[24];
    std::snprintf(field, sizeof field, "%5" PRIu64, number);
    output_.Print(std::string(field) + "  " + path + " (" +
                  Plural(length, "byte", "bytes") + ")");
    ++written_;
  }
  void OnSkipped(std::uint64_t number, const TableEntry& entry) override {
    output_.Say("skipped entry " + std::to_string(number) + " (offset " +
                std::to_string(entry.offset) + ", length " +
                std::to_string(entry.length) +
                "): it does not lie wholly inside the image");
  }
  bool CancelRequested() override { return interrupt_.Interrupted(); }

  // The exit status after a cancel request: 128 + the signal's number.
  int InterruptExitStatus() const { return interrupt_.ExitStatus(); }
  // How many payloads are complete in their files.
  std::uint64_t written() const { return written_; }

 private:
  // Ctrl-C, a termination request or a hang-up stops the extraction after
  // the file in hand is removed, instead of leaving it half written.
  InterruptWatch interrupt_;
  CommandOutput& output_;
  std::uint64_t written_ = 0;
};

void NoteReport(CommandOutput& output, const ReportMatch& report) {
  const std::string& path = report.path;
  switch (report.state) {
    case ReportMatch::State::kMatches:
    case ReportMatch::State::kMissing:
      return;
    case ReportMatch::State::kUnreadable:
      output.Say("cannot read " + path + " (" + report.detail +
                 "); entries get numbered names");
      return;
    case ReportMatch::State::kMismatch:
      output.Say(path + " does not match the table (" + report.detail +
                 "); entries get numbered names");
      return;
  }
}

void ListProblems(CommandOutput& output, const SoundnessCheck& verdict) {
  const std::size_t listed =
      std::min(verdict.problems().size(), kListedProblems);
  for (std::size_t i = 0; i < listed; ++i) {
    output.Say("  " + verdict.problems()[i].message);
  }
  if (verdict.problem_count() > listed) {
    output.Say("  ... and " + std::to_string(verdict.problem_count() - listed) +
               " more");
  }
}

int Refuse(CommandOutput& output, const ExtractSummary& summary,
           const std::string& image, const SoundnessCheck& verdict) {
  if (summary.outcome == ExtractSummary::Outcome::kUnsound) {
    output.Say(image + " is unsound; nothing extracted:");
    ListProblems(output, verdict);
    output.Say("--force extracts the entries that lie wholly inside the image");
  } else {
    const std::uint64_t others = summary.existing_count - 1;
    output.Say(summary.first_existing +
               (others > 0
                    ? " and " + std::to_string(others) + " more files exist"
                    : " exists") +
               " already; nothing extracted; --force replaces them");
  }
  return kExitFailure;
}

// Says which payloads a cancelled extraction left in `folder`: the
// `written` of `total` put in place before the request.
void SayCancelled(CommandOutput& output, std::uint64_t written,
                  std::uint64_t total, const std::string& folder) {
  std::string kept = "those " + std::to_string(written) + " files stay in ";
  if (written == 1) kept = "that file stays in ";
  if (written == 0) kept = "no file was put in ";
  output.Say("cancelled after " + std::to_string(written) + " of " +
             std::to_string(total) + " payloads; " + kept + folder);
}

// Tells how the extraction ended. Returns the exit status: a failure unless
// every entry was written.
int Report(CommandOutput& output, const Result<ExtractSummary>& summary,
           const std::string& image, const std::string& folder,
           const SoundnessCheck& verdict) {
  if (!summary.ok()) {
    output.Say(summary.status().description());
    return kExitFailure;
  }
  if (summary->outcome != ExtractSummary::Outcome::kDone) {
    return Refuse(output, *summary, image, verdict);
  }
  const std::uint64_t skipped = summary->skipped;
  output.Print(
      "extracted " + std::to_string(summary->written) + " of " +
      std::to_string(summary->written + skipped) + " payloads to " + folder +
      (skipped > 0 ? "; " + Plural(skipped, "entry", "entries") + " skipped"
                   : ""));
  return skipped > 0 ? kExitFailure : kExitSuccess;
}

int RunExtract(const ExtractOptions& options) {
  CommandOutput output("extract");
  const std::string& image = options.image_path;
  Result<ImageExtraction> extraction =
      ImageExtraction::Open(HostFileSystem(), image);
  if (!extraction.ok()) {
    output.Say("cannot read " + image + ": " +
               extraction.status().description());
    return kExitUsage;
  }
  if (!extraction->warning().empty()) output.Say(extraction->warning());
  NoteReport(output, extraction->report());
  const SoundnessCheck& verdict = extraction->verdict();
  if (!verdict.sound() && options.force) {
    output.Say(image +
               " is unsound; extracting only the entries that lie wholly "
               "inside it:");
    ListProblems(output, verdict);
  }
  const std::string folder =
      options.folder.empty() ? DefaultExtractFolder(image) : options.folder;
  ConsoleExtractObserver observer(output);
  Result<ExtractSummary> summary =
      extraction->WriteTo(folder, {options.force, options.force}, observer);
  if (summary.status().Is(FailureCode::kUserInterrupt)) {
    SayCancelled(output, observer.written(), extraction->entry_count(), folder);
    return observer.InterruptExitStatus();
  }
  return output.Finish(Report(output, summary, image, folder, verdict));
}

}  // namespace

void AddExtractCommand(CLI::App& app, int& exit_status) {
  CLI::App* extract = app.add_subcommand(
      "extract",
      "Write each payload of IMAGE to a file of its own in DIR, named from "
      "the report.txt beside IMAGE when that matches, else entry-0001.bin "
      "and so on. It writes payloads: each member without its first 50 and "
      "last 4 bytes, not the members themselves. Exit status: 0 every "
      "payload written, 1 refused, failed or an entry skipped, 2 usage error "
      "or unreadable image.");
  auto options = std::make_shared<ExtractOptions>();
  extract->add_option("IMAGE", options->image_path, "The image, e.g. out.bin")
      ->required();
  extract
      ->add_option("-o,--output", options->folder,
                   "Folder to write to, created when missing (default: "
                   "beside IMAGE, named after it: out for out.bin)")
      ->option_text("DIR");
  extract->add_flag("--force", options->force,
                    "Replace existing files, and extract from an unsound "
                    "image the entries that lie wholly inside it");
  extract->callback(
      [options, &exit_status] { exit_status = RunExtract(*options); });
}

}  // namespace mirlot
