// mirlot inspect IMAGE [--json]: lists an image's entries and judges it.
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/command_output.h"
#include "cli/commands.h"
#include "cli/output_text.h"
#include "reading/image_words.h"
#include "reading/inspect_image.h"

namespace mirlot {

namespace {

const char* ReportStateName(ReportMatch::State state) {
  switch (state) {
    case ReportMatch::State::kMissing:
      return "missing";
    case ReportMatch::State::kUnreadable:
      return "unreadable";
    case ReportMatch::State::kMismatch:
      return "mismatch";
    case ReportMatch::State::kMatches:
      return "matches";
  }
  return "unknown";
}

// What both printers share: the output, and the warning on standard error.
class Printer : public InspectionVisitor {
 public:
  Printer(CommandOutput& output, std::string image_path)
      : output_(output), image_path_(std::move(image_path)) {}

  void OnWarning(const std::string& text) override { output_.Say(text); }

 protected:
  CommandOutput& output() { return output_; }
  const std::string& image_path() const { return image_path_; }

 private:
  CommandOutput& output_;
  std::string image_path_;
};

class TextPrinter : public Printer {
 public:
  using Printer::Printer;

  void OnNotAnImage(const ImageReader&, const std::string& reason) override {
    output().Say(NotAnImageLine(image_path(), reason));
  }

  void OnStart(const ImageReader& image, const ReportMatch& report) override {
    output().Print(
        ImageHeadline(image_path(), image.file_size(), image.readable_count()));
    output().Print(NamesNote(report));
    if (image.readable_count() > 0) {
      output().Print("    #      offset      length  name");
    }
  }

  void OnEntry(std::uint64_t number, const TableEntry& entry,
               std::string_view name) override {
    char fields[64];
    std::snprintf(fields, sizeof fields,
                  "%5" PRIu64 " %11" PRId64 " %11" PRId64, number, entry.offset,
                  entry.length);
    output().Print(std::string(fields) +
                   (name.empty() ? "" : "  " + TerminalName(name)));
  }

  void OnEnd(const SoundnessCheck& verdict) override {
    output().Print(VerdictLine(verdict));
    for (const std::string& line : ProblemLines(verdict)) {
      output().Print("  " + line);
    }
  }
};

// One JSON object; the entries are written as they are read, one per line.
class JsonPrinter : public Printer {
 public:
  using Printer::Printer;

  void OnNotAnImage(const ImageReader& image,
                    const std::string& reason) override {
    output().Write("{\n  \"image\": " + JsonString(image_path()) +
                   ",\n  \"size\": " + std::to_string(image.file_size()) +
                   ",\n  \"not_an_image\": " + JsonString(reason) +
                   ",\n  \"sound\": false\n}\n");
  }

  void OnStart(const ImageReader& image, const ReportMatch& report) override {
    names_ = report.matches();
    output().Write("{\n  \"image\": " + JsonString(image_path()) +
                   ",\n  \"size\": " + std::to_string(image.file_size()) +
                   ",\n  \"report\": {\"path\": " + JsonString(report.path) +
                   ", \"state\": \"" + ReportStateName(report.state) +
                   "\", \"detail\": " + JsonString(report.detail) +
                   "},\n  \"entries\": [");
  }

  void OnEntry(std::uint64_t number, const TableEntry& entry,
               std::string_view name) override {
    output().Write(std::string(number == 1 ? "\n" : ",\n") +
                   "    {\"number\": " + std::to_string(number) +
                   ", \"offset\": " + std::to_string(entry.offset) +
                   ", \"length\": " + std::to_string(entry.length) +
                   (names_ ? ", \"name\": " + JsonString(name) : "") + "}");
    any_entries_ = true;
  }

  void OnEnd(const SoundnessCheck& verdict) override {
    output().Write(
        std::string(any_entries_ ? "\n  ]" : "]") +
        ",\n  \"sound\": " + (verdict.sound() ? "true" : "false") +
        ",\n  \"problem_count\": " + std::to_string(verdict.problem_count()) +
        ",\n  \"problems\": [");
    const char* separator = "\n";
    for (const ImageProblem& problem : verdict.problems()) {
      output().Write(separator + std::string("    {\"entry\": ") +
                     std::to_string(problem.entry) + ", \"kind\": \"" +
                     ProblemKindName(problem.kind) +
                     "\", \"message\": " + JsonString(problem.message) + "}");
      separator = ",\n";
    }
    output().Write(std::string(verdict.problems().empty() ? "]" : "\n  ]") +
                   "\n}\n");
  }

 private:
  bool names_ = false;
  bool any_entries_ = false;
};

int RunInspect(const std::string& image_path, bool json) {
  CommandOutput output("inspect");
  std::unique_ptr<InspectionVisitor> printer;
  if (json) {
    printer = std::make_unique<JsonPrinter>(output, image_path);
  } else {
    printer = std::make_unique<TextPrinter>(output, image_path);
  }
  Result<bool> sound = InspectImage(HostFileSystem(), image_path, *printer);
  if (!sound.ok()) {
    output.Say("cannot read " + image_path + ": " +
               sound.status().description());
    return output.Finish(kExitUsage);
  }
  return output.Finish(*sound ? kExitSuccess : kExitFailure);
}

}  // namespace

void AddInspectCommand(CLI::App& app, int& exit_status) {
  CLI::App* inspect = app.add_subcommand(
      "inspect",
      "List the entries of IMAGE (with names from the report.txt beside it "
      "when that matches) and tell whether it is sound. Exit status: 0 "
      "sound, 1 unsound, 2 usage error or unreadable image.");
  auto image_path = std::make_shared<std::string>();
  auto json = std::make_shared<bool>(false);
  inspect->add_option("IMAGE", *image_path, "The image, e.g. out.bin")
      ->required();
  inspect->add_flag("--json", *json, "Print the same as one JSON object");
  inspect->callback([image_path, json, &exit_status] {
    exit_status = RunInspect(*image_path, *json);
  });
}

}  // namespace mirlot
