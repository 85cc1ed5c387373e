// What the image window shows, the same for every toolkit: its title, the
// verdict line at its top, the texts of each row of its table, and the
// messages its buttons end with, in the words the command line uses.
#ifndef MIRLOT_WINDOW_IMAGE_VIEW_H_
#define MIRLOT_WINDOW_IMAGE_VIEW_H_

#include <array>
#include <cstdint>
#include <string>

#include "packing/listed_differences.h"
#include "reading/extract_summary.h"
#include "reading/image_catalog.h"
#include "runtime/status.h"
#include "window/control_texts.h"
#include "window/window_services.h"

namespace mirlot {

inline constexpr ControlTexts kExtractButtonTexts = {
    "&Extract\u2026", "",
    "Writes each payload of the image to a file of its own in a folder", ""};
inline constexpr ControlTexts kVerifyButtonTexts = {
    "&Verify\u2026", "",
    "Checks the image and its report against the list they were packed from",
    ""};
inline constexpr ControlTexts kReloadButtonTexts = {
    "&Reload", "", "Reads the image again, as after a new pack", ""};
inline constexpr ControlTexts kCloseButtonTexts = {"Close", "", "", ""};
inline constexpr ControlTexts kEntryTableTexts = {"", "Entries", "", ""};

// The folder chooser of Extract…: its title, the label of its field, the
// button that opens the system's folder dialog and the one that accepts.
inline constexpr char kFolderChooserTitle[] = "Extract";
inline constexpr char kFolderFieldLabel[] = "Extract &to folder:";
inline constexpr char kBrowseButtonCaption[] = "&Browse\u2026";
inline constexpr char kAcceptFolderCaption[] = "Extract";

// The table's columns, in order: the number as report.txt gives it, the
// name, the payload's offset and length.
inline constexpr std::array<const char*, 4> kEntryColumns = {
    "#", "Name", "Offset", "Length"};

// "d/out.bin - Mirlot utility".
std::string ImageWindowTitle(const std::string& image_path);

// The line above the table: "46 bytes, 2 entries; sound; names: from
// d/report.txt", what is wrong when unsound (the first problem and how many
// more), or that the file is not a Mirlot image and why.
std::string VerdictText(const ImageCatalog& catalog);

// The texts of one row, in kEntryColumns order; the name as the window
// shows a list's names (read in the ANSI code page on Windows when not
// UTF-8), control characters escaped.
std::array<std::string, 4> RowTexts(const CatalogRow& row);

// The message of a failure to open, extract or verify: "Cannot read
// d/out.bin" and the failure's description as its detail.
WindowMessage FailureText(const std::string& doing, const Status& failure);

// The question before files in `folder` are replaced.
WindowMessage ReplaceQuestion(const ExtractSummary& summary,
                              const std::string& folder);

// The question before the entries inside an unsound image are extracted.
WindowMessage SalvageQuestion(const ImageCatalog& catalog);

// What an extraction into `folder` did: how many payloads (never the
// members themselves) and, when some were, how many entries were skipped;
// after a cancel, which files stay.
WindowMessage ExtractedText(const ExtractSummary& summary, std::uint64_t total,
                            const std::string& folder, bool cancelled);

// What a verification against `list_path` found: that the image and its
// report match the list, or the first differences and how many more.
WindowMessage VerifiedText(const ImageCatalog& catalog,
                           const std::string& list_path,
                           const ListedDifferences& differences);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_IMAGE_VIEW_H_
