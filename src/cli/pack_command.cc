#include <string>

#include "cli/commands.h"
#include "cli/console_sink.h"
#include "cli/terminal_progress.h"
#include "packing/packing_run.h"

namespace mirlot {

namespace {

// Erases the progress line before each message.
class ProgressAwareSink : public MessageSink {
 public:
  explicit ProgressAwareSink(TerminalProgress& progress)
      : progress_(progress) {}
  void Show(std::string_view text, MessageKind kind,
            std::string_view detail) override {
    progress_.Clear();
    console_.Show(text, kind, detail);
  }

 private:
  TerminalProgress& progress_;
  ConsoleSink console_{"mirlot pack"};
};

int RunPack(const std::string& list_path, bool quiet) {
  TerminalProgress progress(stderr, !quiet);
  ProgressAwareSink sink(progress);
  const RunOutcome outcome =
      RunPacking({.list_path = list_path}, HostFileSystem(), sink, progress);
  switch (outcome) {
    case RunOutcome::kDone:
      return kExitSuccess;
    case RunOutcome::kCancelled:
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
