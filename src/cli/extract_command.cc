// mirlot extract IMAGE [-o DIR] [--force]: writes each payload of an image
// to a file of its own.
#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/output_text.h"
#include "reading/image_extractor.h"
#include "runtime/console.h"

namespace mirlot {

namespace {

// Problems listed when an unsound image is refused.
constexpr std::size_t kListedProblems = 10;

struct ExtractOptions {
  std::string image_path;
  std::string folder;  // empty: the default folder beside the image
  bool force = false;
};

void Error(const std::string& text) {
  std::fprintf(stderr, "mirlot extract: %s\n", text.c_str());
}

class ConsoleExtractObserver : public ExtractObserver {
 public:
  void OnWritten(std::uint64_t number, const std::string& path,
                 std::uint64_t length) override {
    std::printf("%5" PRIu64 "  %s (%s)\n", number, TerminalText(path).c_str(),
                Plural(length, "byte", "bytes").c_str());
  }
  void OnSkipped(std::uint64_t number, const TableEntry& entry) override {
    Error("skipped entry " + std::to_string(number) + " (offset " +
          std::to_string(entry.offset) + ", length " +
          std::to_string(entry.length) +
          "): it does not lie wholly inside the image");
  }
  bool CancelRequested() override { return interrupt_.Interrupted(); }

  // The exit status after a cancel request: 128 + the signal's number.
  int InterruptExitStatus() const { return interrupt_.ExitStatus(); }

 private:
  // Ctrl-C, a termination request or a hang-up stops the extraction after
  // the file in hand is removed, instead of leaving it half written.
  InterruptWatch interrupt_;
};

void NoteReport(const ReportMatch& report) {
  const std::string path = TerminalText(report.path);
  switch (report.state) {
    case ReportMatch::State::kMatches:
    case ReportMatch::State::kMissing:
      return;
    case ReportMatch::State::kUnreadable:
      Error("cannot read " + path + " (" + TerminalText(report.detail) +
            "); entries get numbered names");
      return;
    case ReportMatch::State::kMismatch:
      Error(path + " does not match the table (" + TerminalText(report.detail) +
            "); entries get numbered names");
      return;
  }
}

void ListProblems(const SoundnessCheck& verdict) {
  const std::size_t listed =
      std::min(verdict.problems().size(), kListedProblems);
  for (std::size_t i = 0; i < listed; ++i) {
    std::fprintf(stderr, "mirlot extract:   %s\n",
                 verdict.problems()[i].message.c_str());
  }
  if (verdict.problem_count() > listed) {
    std::fprintf(stderr, "mirlot extract:   ... and %" PRIu64 " more\n",
                 verdict.problem_count() - listed);
  }
}

int Refuse(const ExtractSummary& summary, const std::string& image,
           const SoundnessCheck& verdict) {
  if (summary.outcome == ExtractSummary::Outcome::kUnsound) {
    Error(image + " is unsound; nothing extracted:");
    ListProblems(verdict);
    Error("--force extracts the entries that lie wholly inside the image");
  } else {
    const std::uint64_t others = summary.existing_count - 1;
    Error(TerminalText(summary.first_existing) +
          (others > 0 ? " and " + std::to_string(others) + " more files exist"
                      : " exists") +
          " already; nothing extracted; --force replaces them");
  }
  return kExitFailure;
}

// Tells how the extraction ended. Returns the exit status.
int Report(const Result<ExtractSummary>& summary, const std::string& image,
           const std::string& folder, const SoundnessCheck& verdict) {
  std::fflush(stdout);
  if (!summary.ok()) {
    // An interrupted extraction ends silently, as an interrupted pack does.
    if (summary.status().Is(FailureCode::kUserInterrupt)) return kExitFailure;
    Error(TerminalText(summary.status().description()));
    return kExitFailure;
  }
  if (summary->outcome != ExtractSummary::Outcome::kDone) {
    return Refuse(*summary, image, verdict);
  }
  std::printf("extracted %" PRIu64 " of %" PRIu64 " entries to %s\n",
              summary->written, summary->written + summary->skipped,
              TerminalText(folder).c_str());
  return kExitSuccess;
}

int RunExtract(const ExtractOptions& options) {
  const std::string image = TerminalText(options.image_path);
  Result<ImageExtraction> extraction =
      ImageExtraction::Open(HostFileSystem(), options.image_path);
  if (!extraction.ok()) {
    Error("cannot read " + image + ": " + extraction.status().description());
    return kExitUsage;
  }
  if (!extraction->warning().empty()) {
    Error(TerminalText(extraction->warning()));
  }
  NoteReport(extraction->report());
  const SoundnessCheck& verdict = extraction->verdict();
  if (!verdict.sound() && options.force) {
    Error(image +
          " is unsound; extracting only the entries that lie wholly "
          "inside it:");
    ListProblems(verdict);
  }
  const std::string folder = options.folder.empty()
                                 ? DefaultExtractFolder(options.image_path)
                                 : options.folder;
  ConsoleExtractObserver observer;
  Result<ExtractSummary> summary =
      extraction->WriteTo(folder, options.force, observer);
  const int status = Report(summary, image, folder, verdict);
  if (summary.status().Is(FailureCode::kUserInterrupt)) {
    return observer.InterruptExitStatus();
  }
  if (!StandardOutputWritten()) {
    Error("cannot write to standard output");
    return kExitUsage;
  }
  return status;
}

}  // namespace

void AddExtractCommand(CLI::App& app, int& exit_status) {
  CLI::App* extract = app.add_subcommand(
      "extract",
      "Write each payload of IMAGE to a file of its own in DIR, named from "
      "the report.txt beside IMAGE when that matches, else entry-0001.bin "
      "and so on. Exit status: 0 done, 1 refused or failed, 2 usage error or "
      "unreadable image.");
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
