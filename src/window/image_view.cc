#include "window/image_view.h"

#include "runtime/number_text.h"
#include "runtime/path.h"
#include "runtime/text.h"

namespace mirlot {

namespace {

// `text` with its first letter made a capital, as a message box opens.
std::string Sentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] -= 'a' - 'A';
  return text;
}

}  // namespace

std::string ImageWindowTitle(const std::string& image_path) {
  return image_path + " - " + kWindowTitle;
}

std::string VerdictText(const ImageCatalog& catalog) {
  if (!catalog.not_an_image().empty()) {
    return "Not a Mirlot image: " + catalog.not_an_image();
  }
  std::string text = catalog.size_words() + "; " + catalog.verdict();
  if (!catalog.problems().empty()) {
    text += " (" + catalog.problems().front();
    if (catalog.problems().size() > 1) text += ", \u2026";
    text += ")";
  }
  return text + "; " + catalog.names_note();
}

std::array<std::string, 4> RowTexts(const CatalogRow& row) {
  return {std::to_string(row.number),
          EscapeControls(PathFromListField(row.name), false),
          std::to_string(row.entry.offset), std::to_string(row.entry.length)};
}

WindowMessage FailureText(const std::string& doing, const Status& failure) {
  return {kWindowTitle, Sentence(doing), failure.description()};
}

WindowMessage ReplaceQuestion(const ExtractSummary& summary,
                              const std::string& folder) {
  const std::uint64_t others = summary.existing_count - 1;
  return {kWindowTitle,
          Plural(summary.existing_count, "file", "files") + " to be written " +
              (summary.existing_count == 1 ? "exists" : "exist") +
              " already in " + folder + ". Replace " +
              (summary.existing_count == 1 ? "it?" : "them?"),
          summary.first_existing +
              (others > 0 ? " and " + std::to_string(others) + " more" : "")};
}

WindowMessage SalvageQuestion(const ImageCatalog& catalog) {
  std::string detail;
  for (const std::string& problem : catalog.problems()) {
    detail += (detail.empty() ? "" : "\n") + problem;
  }
  return {kWindowTitle,
          catalog.image_path() + " is " + catalog.verdict() +
              ". Extract only the entries that lie wholly inside it?",
          detail};
}

WindowMessage ExtractedText(const ExtractSummary& summary, std::uint64_t total,
                            const std::string& folder, bool cancelled) {
  const std::uint64_t written = summary.written;
  if (cancelled) {
    std::string kept = "those " + std::to_string(written) + " files stay in ";
    if (written == 1) kept = "that file stays in ";
    if (written == 0) kept = "no file was put in ";
    return {kWindowTitle,
            "Cancelled after " + std::to_string(written) + " of " +
                std::to_string(total) + " payloads; " + kept + folder,
            ""};
  }
  const std::uint64_t skipped = summary.skipped;
  return {
      kWindowTitle,
      "Extracted " + std::to_string(written) + " of " +
          std::to_string(written + skipped) + " payloads to " + folder +
          (skipped > 0 ? "; " + Plural(skipped, "entry", "entries") + " skipped"
                       : ""),
      "Each file holds a payload: the member without its first 50 and "
      "last 4 bytes, not the member itself."};
}

WindowMessage VerifiedText(const ImageCatalog& catalog,
                           const std::string& list_path,
                           const ListedDifferences& differences) {
  if (differences.count() == 0) {
    return {kWindowTitle,
            catalog.image_path() + " and " + catalog.report_path() + " match " +
                list_path,
            ""};
  }
  std::string detail;
  for (const std::string& text : differences.listed()) {
    detail += (detail.empty() ? "" : "\n") + text;
  }
  if (const std::string more = differences.MoreLine(); !more.empty()) {
    detail += "\n" + more;
  }
  return {kWindowTitle,
          catalog.image_path() + " and " + catalog.report_path() +
              " differ from what " + list_path + " names now: " +
              Plural(differences.count(), "difference", "differences"),
          detail};
}

}  // namespace mirlot
