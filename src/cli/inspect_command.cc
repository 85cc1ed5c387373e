// mirlot inspect IMAGE [--json]: lists an image's entries and judges it.
#include <cinttypes>
#include <cstdio>
#include <memory>
#include <string>

#include "cli/commands.h"
#include "cli/output_text.h"
#include "reading/inspect_image.h"

namespace mirlot {

namespace {

void Print(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

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

std::string NamesNote(const ReportMatch& report) {
  const std::string path = TerminalText(report.path);
  const std::string detail = TerminalText(report.detail);
  switch (report.state) {
    case ReportMatch::State::kMatches:
      return "names: from " + path;
    case ReportMatch::State::kMissing:
      return "names: none (no " + path + ")";
    case ReportMatch::State::kUnreadable:
      return "names: none (cannot read " + path + ": " + detail + ")";
    case ReportMatch::State::kMismatch:
      return "names: none (" + path + " does not match the table: " + detail +
             ")";
  }
  return {};
}

// What both printers say on standard error.
class Printer : public InspectionVisitor {
 public:
  void OnWarning(const std::string& text) override {
    std::fprintf(stderr, "mirlot inspect: %s\n", TerminalText(text).c_str());
  }
};

class TextPrinter : public Printer {
 public:
  explicit TextPrinter(std::string image_path)
      : image_path_(std::move(image_path)) {}

  void OnStart(const ImageReader& image, const ReportMatch& report) override {
    Print(TerminalText(image_path_) + ": " +
          Plural(image.file_size(), "byte", "bytes") + ", " +
          Plural(image.readable_count(), "entry", "entries") + "\n" +
          NamesNote(report) + "\n");
    if (image.readable_count() > 0) {
      Print("    #      offset      length  name\n");
    }
  }

  void OnEntry(std::uint64_t number, const TableEntry& entry,
               std::string_view name) override {
    char fields[64];
    std::snprintf(fields, sizeof fields,
                  "%5" PRIu64 " %11" PRId64 " %11" PRId64, number, entry.offset,
                  entry.length);
    Print(std::string(fields) +
          (name.empty() ? "" : "  " + TerminalName(name)) + "\n");
  }

  void OnEnd(const SoundnessCheck& verdict) override {
    if (verdict.sound()) {
      Print("sound\n");
      return;
    }
    Print("unsound: " + Plural(verdict.problem_count(), "problem", "problems") +
          "\n");
    for (const ImageProblem& problem : verdict.problems()) {
      Print("  " + problem.message + "\n");
    }
    if (verdict.omitted_count() > 0) {
      Print("  ... and " + std::to_string(verdict.omitted_count()) + " more\n");
    }
  }

 private:
  std::string image_path_;
};

// One JSON object; the entries are written as they are read, one per line.
class JsonPrinter : public Printer {
 public:
  explicit JsonPrinter(std::string image_path)
      : image_path_(std::move(image_path)) {}

  void OnStart(const ImageReader& image, const ReportMatch& report) override {
    names_ = report.matches();
    Print("{\n  \"image\": " + JsonString(image_path_) +
          ",\n  \"size\": " + std::to_string(image.file_size()) +
          ",\n  \"report\": {\"path\": " + JsonString(report.path) +
          ", \"state\": \"" + ReportStateName(report.state) +
          "\", \"detail\": " + JsonString(report.detail) +
          "},\n  \"entries\": [");
  }

  void OnEntry(std::uint64_t number, const TableEntry& entry,
               std::string_view name) override {
    Print(std::string(number == 1 ? "\n" : ",\n") +
          "    {\"number\": " + std::to_string(number) +
          ", \"offset\": " + std::to_string(entry.offset) +
          ", \"length\": " + std::to_string(entry.length) +
          (names_ ? ", \"name\": " + JsonString(name) : "") + "}");
    any_entries_ = true;
  }

  void OnEnd(const SoundnessCheck& verdict) override {
    Print(std::string(any_entries_ ? "\n  ]" : "]") +
          ",\n  \"sound\": " + (verdict.sound() ? "true" : "false") +
          ",\n  \"problem_count\": " + std::to_string(verdict.problem_count()) +
          ",\n  \"problems\": [");
    const char* separator = "\n";
    for (const ImageProblem& problem : verdict.problems()) {
      Print(separator + std::string("    {\"entry\": ") +
            std::to_string(problem.entry) + ", \"kind\": \"" +
            ProblemKindName(problem.kind) +
            "\", \"message\": " + JsonString(problem.message) + "}");
      separator = ",\n";
    }
    Print(std::string(verdict.problems().empty() ? "]" : "\n  ]") + "\n}\n");
  }

 private:
  std::string image_path_;
  bool names_ = false;
  bool any_entries_ = false;
};

int RunInspect(const std::string& image_path, bool json) {
  std::unique_ptr<InspectionVisitor> printer;
  if (json) {
    printer = std::make_unique<JsonPrinter>(image_path);
  } else {
    printer = std::make_unique<TextPrinter>(image_path);
  }
  Result<bool> sound = InspectImage(HostFileSystem(), image_path, *printer);
  if (!StandardOutputWritten()) {
    std::fprintf(stderr, "mirlot inspect: cannot write to standard output\n");
    return kExitUsage;
  }
  if (!sound.ok()) {
    std::fprintf(stderr, "mirlot inspect: cannot read %s: %s\n",
                 TerminalText(image_path).c_str(),
                 sound.status().description().c_str());
    return kExitUsage;
  }
  return *sound ? kExitSuccess : kExitFailure;
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
