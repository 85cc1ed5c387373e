#include "reading/image_words.h"

#include "runtime/number_text.h"

namespace mirlot {

std::string ImageSizeWords(std::uint64_t size, std::uint64_t entries) {
  return Plural(size, "byte", "bytes") + ", " +
         Plural(entries, "entry", "entries");
}

std::string ImageHeadline(const std::string& image_path, std::uint64_t size,
                          std::uint64_t entries) {
  return image_path + ": " + ImageSizeWords(size, entries);
}

std::string NotAnImageLine(const std::string& image_path,
                           const std::string& reason) {
  return image_path + " is not a Mirlot image: " + reason;
}

std::string NamesNote(const ReportMatch& report) {
  const std::string& path = report.path;
  switch (report.state) {
    case ReportMatch::State::kMatches:
      return "names: from " + path;
    case ReportMatch::State::kMissing:
      return "names: none (no " + path + ")";
    case ReportMatch::State::kUnreadable:
      return "names: none (cannot read " + path + ": " + report.detail + ")";
    case ReportMatch::State::kMismatch:
      return "names: none (" + path +
             " does not match the table: " + report.detail + ")";
  }
  return {};
}

std::string VerdictLine(const SoundnessCheck& verdict) {
  if (verdict.sound()) return "sound";
  return "unsound: " + Plural(verdict.problem_count(), "problem", "problems");
}

std::vector<std::string> ProblemLines(const SoundnessCheck& verdict) {
  std::vector<std::string> lines;
  for (const ImageProblem& problem : verdict.problems()) {
    lines.push_back(problem.message);
  }
  if (verdict.omitted_count() > 0) {
    lines.push_back("... and " + std::to_string(verdict.omitted_count()) +
                    " more");
  }
  return lines;
}

}  // namespace mirlot
