// Looks inside a container image: its entries, the names its report gives
// them, and whether it is sound. Memory stays the same whatever the size of
// the image: the table and the report are read side by side, a block at a
// time.
#ifndef MIRLOT_READING_INSPECT_IMAGE_H_
#define MIRLOT_READING_INSPECT_IMAGE_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "reading/image_reader.h"
#include "reading/image_soundness.h"
#include "reading/output_pair.h"
#include "reading/report_reader.h"
#include "runtime/file_system.h"

namespace mirlot {

// Receives what an inspection finds, in this order: OnWarning when there is
// something to say about the image's folder, then either OnNotAnImage
// alone, or OnStart once, OnEntry for every readable entry and OnEnd once.
class InspectionVisitor {
 public:
  virtual ~InspectionVisitor() = default;

  // One line the user should read about the image's folder
  // (OutputPair::warning). Cannot fail.
  virtual void OnWarning(const std::string& text) = 0;

  // `image` cannot be an image: its first entry declares no table that
  // could be read; `reason` says why (SoundnessCheck::not_an_image). No
  // entry follows. Cannot fail.
  virtual void OnNotAnImage(const ImageReader& image,
                            const std::string& reason) = 0;
  // `image` is measured and its first entry read; `report` tells whether
  // the entries will come with names. Cannot fail.
  virtual void OnStart(const ImageReader& image, const ReportMatch& report) = 0;

  // The entry with 1-based `number`; `name` is empty when the report does
  // not match (and may be empty when it does). Cannot fail.
  virtual void OnEntry(std::uint64_t number, const TableEntry& entry,
                       std::string_view name) = 0;

  // Every readable entry was seen; `verdict` holds the problems found.
  // Cannot fail.
  virtual void OnEnd(const SoundnessCheck& verdict) = 0;
};

// Inspects the image and report of `pair`, opened by OpenImageAndReport,
// as InspectImage does; the files stay open.
Result<bool> InspectPair(OutputPair& pair, InspectionVisitor& visitor);

// Inspects the image at `image_path`, with the report beside it.
// On success the visitor has seen the whole image; returns whether it is
// sound (false for a file that is not an image). On failure returns the failure
// to open or read the image, or 7 "Out of memory" (the visitor may have seen
// part of it).
Result<bool> InspectImage(FileSystem& file_system,
                          const std::string& image_path,
                          InspectionVisitor& visitor);

}  // namespace mirlot

#endif  // MIRLOT_READING_INSPECT_IMAGE_H_
