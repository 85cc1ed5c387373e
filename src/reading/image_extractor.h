// Takes the payloads back out of a container image, one file per entry,
// into one folder and nowhere else.
#ifndef MIRLOT_READING_IMAGE_EXTRACTOR_H_
#define MIRLOT_READING_IMAGE_EXTRACTOR_H_

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "reading/extract_names.h"
#include "reading/extract_observer.h"
#include "reading/extract_summary.h"
#include "reading/image_reader.h"
#include "reading/image_soundness.h"
#include "reading/report_reader.h"
#include "runtime/file_system.h"

namespace mirlot {

class EntryBatch;

// The folder an image is extracted to by default: beside the image, named
// after it without its extension ("d/out" for "d/out.bin"), or with ".d"
// added when it has none ("d/image.d" for "d/image").
std::string DefaultExtractFolder(const std::string& image_path);

// What an extraction may do beyond writing new files, each asked of the
// user on its own.
struct ExtractChoices {
  bool replace = false;  // replace files that exist at entries' names
  bool salvage = false;  // from an unsound image, the entries inside it
};

class ImageExtraction {
 public:
  // Opens the image at `image_path`, checks it and compares the report
  // beside it with its table.
  // Waits for a locked folder as OpenImageAndReport does, told to
  // `observer`.
  // On success returns the extraction, ready to write. On failure returns
  // the failure to open or read the image, 18 when cancelled while
  // waiting, or 7 "Out of memory".
  static Result<ImageExtraction> Open(
      FileSystem& file_system, const std::string& image_path,
      FolderWaitObserver& observer = UnobservedWait());

  const SoundnessCheck& verdict() const { return verdict_; }
  const ReportMatch& report() const { return report_; }
  // How many entries the table holds that can be read: those WriteTo takes.
  std::uint64_t entry_count() const { return image_.readable_count(); }
  // The bytes past the table: what the payloads of a sound image add up to.
  std::uint64_t payload_bytes() const {
    const std::uint64_t table = image_.readable_count() * kTableEntrySize;
    return image_.file_size() > table ? image_.file_size() - table : 0;
  }
  // OutputPair::warning of the image's folder, "" when there is none.
  const std::string& warning() const { return warning_; }

  // Writes each entry's payload to its own new file in `folder`, named by
  // ExtractNames, creating `folder` (whose parent must exist) when missing.
  // The folder is opened once and every file made relative to it; each
  // payload is written under a temporary name there and moved to its name
  // only once complete and durable, a batch of entries at a time (see
  // EntryBatch), so that a file under an entry's name is always whole. Refuses,
  // writing nothing, an unsound image and, when `folder` exists already, any
  // plan that would replace a file there (a file that appears meanwhile is not
  // replaced either); with `choices.salvage` an unsound image gives only the
  // entries that lie wholly inside it, with `choices.replace` existing files
  // are replaced (never written through). On success returns what was done or
  // why nothing was. On failure returns the failure, its description naming the
  // file concerned, 7 "Out of memory", or 18 when `observer` asked to stop; the
  // entries complete before it are put in place (after 7, those of earlier
  // batches only), no temporary file stays.
  Result<ExtractSummary> WriteTo(const std::string& folder,
                                 ExtractChoices choices,
                                 ExtractObserver& observer);

 private:
  ImageExtraction(FileSystem& file_system, std::unique_ptr<ReadableFile> file,
                  ImageReader image, SoundnessCheck verdict);

  // Open and WriteTo, whose running out of memory they turn into 7.
  static Result<ImageExtraction> OpenUnguarded(FileSystem& file_system,
                                               const std::string& image_path,
                                               FolderWaitObserver& observer);
  Result<ExtractSummary> WriteUnguarded(const std::string& folder,
                                        ExtractChoices choices,
                                        ExtractObserver& observer);
  Status PrepareFolder(const std::string& folder, bool& existed);
  Result<std::uint64_t> CountExisting(Folder& folder,
                                      const std::string& folder_path,
                                      std::string& first);
  Status WriteEntries(Folder& out, const std::string& folder, bool replace,
                      ExtractObserver& observer, ExtractSummary& summary);
  Status WriteEntry(Folder& folder, EntryBatch& batch, std::uint64_t number,
                    const std::string& name, const TableEntry& entry,
                    ExtractObserver& observer);
  Status CopyPayload(const TableEntry& entry, WritableFile& out,
                     ExtractObserver& observer);

  FileSystem& file_system_;
  std::unique_ptr<ReadableFile> file_;
  ImageReader image_;
  SoundnessCheck verdict_;
  ReportMatch report_;
  ExtractNames names_;
  std::string warning_;
  std::vector<char> block_;  // the copy buffer, allocated on first use
};

}  // namespace mirlot

#endif  // MIRLOT_READING_IMAGE_EXTRACTOR_H_
