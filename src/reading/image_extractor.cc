// Takes each payload of an image out into a file of its own, through temporary
// files in a folder opened once.
#include "reading/image_extractor.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "format/image_table.h"
#include "reading/entry_batch.h"
#include "runtime/out_of_memory.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

constexpr std::size_t kCopyBlockSize = 1024 * 1024;

// Payloads are written under ".mirlot-extract.tmp-" and eight letters and
// digits: a name no user file is taken for, whatever the entries' names.
constexpr char kTemporaryStem[] = "mirlot-extract";

// Removes what extractions killed earlier left in `out`, when no other
// extraction is live there, and returns the hold that keeps a later one
// from taking this one's files for leftovers (nullptr when another run
// holds the folder: then this one's files are still locked one by one).
std::unique_ptr<FolderLock> ClearLeftovers(Folder& out) {
  if (std::unique_ptr<FolderLock> alone = out.TryLock(LockKind::kExclusive);
      alone != nullptr && alone->held()) {
    constexpr std::string_view kStems[] = {kTemporaryStem};
    out.RemoveStaleTemporaries(kStems);
  }
  return out.TryLock(LockKind::kShared);
}

// A payload's temporary file, removed when this goes unless it was handed
// on, so that neither a failure nor running out of memory on the way leaves
// it behind: an unclosed one by the file itself, a closed one here.
class PendingPayload {
 public:
  PendingPayload(Folder& folder, std::unique_ptr<WritableFile> file)
      : folder_(folder), file_(std::move(file)) {}
  ~PendingPayload() {
    if (closed_ && !handed_on_) (void)folder_.Remove(file_->name());
  }
  PendingPayload(const PendingPayload&) = delete;
  PendingPayload& operator=(const PendingPayload&) = delete;

  WritableFile& file() { return *file_; }
  const std::string& name() const { return file_->name(); }
  Status Close() {
    Status status = file_->Close();
    closed_ = status.ok();
    return status;
  }
  void HandOn() { handed_on_ = true; }

 private:
  Folder& folder_;
  std::unique_ptr<WritableFile> file_;
  bool closed_ = false;
  bool handed_on_ = false;
};

}  // namespace

std::string DefaultExtractFolder(const std::string& image_path) {
  const std::string name = LastComponent(image_path);
  const std::size_t dot = name.find_last_of('.');
  const std::string folder_name =
      dot == std::string::npos || dot == 0 ? name + ".d" : name.substr(0, dot);
  return ResolveIn(ParentFolder(image_path), folder_name);
}

ImageExtraction::ImageExtraction(FileSystem& file_system,
                                 std::unique_ptr<ReadableFile> file,
                                 ImageReader image, SoundnessCheck verdict)
    : file_system_(file_system),
      file_(std::move(file)),
      image_(std::move(image)),
      verdict_(std::move(verdict)) {}

Result<ImageExtraction> ImageExtraction::Open(FileSystem& file_system,
                                              const std::string& image_path,
                                              FolderWaitObserver& observer) {
  return OutOfMemoryAsFailure(
      [&] { return OpenUnguarded(file_system, image_path, observer); });
}

Result<ImageExtraction> ImageExtraction::OpenUnguarded(
    FileSystem& file_system, const std::string& image_path,
    FolderWaitObserver& observer) {
  Result<OutputPair> pair =
      OpenImageAndReport(file_system, image_path, observer);
  if (!pair.ok()) return pair.status();
  Result<ImageReader> image = ImageReader::Open(*pair->image);
  if (!image.ok()) return image.status();
  Result<SoundnessCheck> verdict = CheckImage(*image);
  if (!verdict.ok()) return verdict.status();
  std::vector<std::string> report_names;
  Result<ReportMatch> report = MatchReport(*pair, *image, &report_names);
  if (!report.ok()) return report.status();
  ImageExtraction extraction(file_system, std::move(pair->image),
                             std::move(*image), std::move(*verdict));
  extraction.report_ = std::move(*report);
  extraction.warning_ = std::move(pair->warning);
  if (extraction.report_.matches()) {
    extraction.names_ = ExtractNames(report_names);
  }
  return extraction;
}

Result<ExtractSummary> ImageExtraction::WriteTo(const std::string& folder,
                                                ExtractChoices choices,
                                                ExtractObserver& observer) {
  return OutOfMemoryAsFailure(
      [&] { return WriteUnguarded(folder, choices, observer); });
}

Result<ExtractSummary> ImageExtraction::WriteUnguarded(
    const std::string& folder, ExtractChoices choices,
    ExtractObserver& observer) {
  ExtractSummary summary;
  if (!verdict_.sound() && !choices.salvage) {
    summary.outcome = ExtractSummary::Outcome::kUnsound;
    return summary;
  }
  bool existed = false;
  if (Status s = PrepareFolder(folder, existed); !s.ok()) return s;
  Result<std::unique_ptr<Folder>> opened = file_system_.OpenFolder(folder);
  if (!opened.ok()) return opened.status().About(folder);
  Folder& out = **opened;
  if (existed && !choices.replace) {
    Result<std::uint64_t> existing =
        CountExisting(out, folder, summary.first_existing);
    if (!existing.ok()) return existing.status();
    if (*existing > 0) {
      summary.outcome = ExtractSummary::Outcome::kExisting;
      summary.existing_count = *existing;
      return summary;
    }
  }
  Status written =
      WriteEntries(out, folder, choices.replace, observer, summary);
  if (!written.ok()) return written;
  return summary;
}

Status ImageExtraction::WriteEntries(Folder& out, const std::string& folder,
                                     bool replace, ExtractObserver& observer,
                                     ExtractSummary& summary) {
  const std::unique_ptr<FolderLock> live = ClearLeftovers(out);
  EntryBatch batch(out, folder, replace, observer);
  Status status;
  TableCursor cursor(image_);
  while (status.ok() && !cursor.AtEnd()) {
    const std::uint64_t index = cursor.next_index();
    Result<TableEntry> entry = cursor.Next();
    if (!entry.ok()) {
      status = entry.status();
    } else if (!LiesInsideFile(*entry, image_.file_size())) {
      batch.Skip(index + 1, *entry);
    } else {
      const std::string name = names_.NameOf(index);
      status = WriteEntry(out, batch, index + 1, name, *entry, observer);
      if (!status.ok() && !status.Is(FailureCode::kUserInterrupt)) {
        status = status.About(ResolveIn(folder, name));
      }
    }
    if (status.ok() && batch.Full()) status = batch.PutInPlace(summary);
  }
  // Complete entries go into place even when a later one failed.
  Status placed = batch.PutInPlace(summary);
  return status.ok() ? placed : status;
}

Status ImageExtraction::PrepareFolder(const std::string& folder,
                                      bool& existed) {
  Result<FileStatus> status = file_system_.Stat(folder);
  if (status.ok()) {
    existed = true;
    if (status->kind == FileKind::kDirectory) return Status::Ok();
    return Status(static_cast<int>(FailureCode::kPathFileAccessError),
                  folder + ": exists and is not a folder");
  }
  if (!status.status().Is(FailureCode::kFileNotFound)) {
    return status.status().About(folder);
  }
  existed = false;
  if (Status s = file_system_.CreateFolder(folder); !s.ok()) {
    return s.About("cannot create folder " + folder);
  }
  return Status::Ok();
}

Result<std::uint64_t> ImageExtraction::CountExisting(
    Folder& folder, const std::string& folder_path, std::string& first) {
  std::uint64_t count = 0;
  TableCursor cursor(image_);
  while (!cursor.AtEnd()) {
    const std::uint64_t index = cursor.next_index();
    Result<TableEntry> entry = cursor.Next();
    if (!entry.ok()) return entry.status();
    if (!LiesInsideFile(*entry, image_.file_size())) continue;
    const std::string name = names_.NameOf(index);
    Result<std::optional<FileStatus>> exists = folder.StatName(name);
    if (!exists.ok()) {
      return exists.status().About(ResolveIn(folder_path, name));
    }
    if (!*exists) continue;
    if (count++ == 0) first = ResolveIn(folder_path, name);
  }
  return count;
}

// On success the closed temporary file that holds the payload waits in
// `batch`. On failure the description is the bare failure's; the caller
// names the file. Nothing is left behind.
Status ImageExtraction::WriteEntry(Folder& folder, EntryBatch& batch,
                                   std::uint64_t number,
                                   const std::string& name,
                                   const TableEntry& entry,
                                   ExtractObserver& observer) {
  Result<std::unique_ptr<WritableFile>> out =
      folder.CreateTemporary(name, kTemporaryStem);
  if (!out.ok()) {
    return Status(out.status().number(),
                  "cannot create a file: " + out.status().description());
  }
  PendingPayload payload(folder, std::move(*out));
  Status status = CopyPayload(entry, payload.file(), observer);
  Status closed = payload.Close();
  if (status.ok()) status = closed;
  if (!status.ok()) return status;
  batch.Add(number, entry, name, payload.name());
  payload.HandOn();
  return Status::Ok();
}

Status ImageExtraction::CopyPayload(const TableEntry& entry, WritableFile& out,
                                    ExtractObserver& observer) {
  auto offset = static_cast<std::uint64_t>(entry.offset);
  auto remaining = static_cast<std::uint64_t>(entry.length);
  // The buffer grows to the largest payload met so far, up to one block;
  // `remaining` is at most the image's size, checked by the caller.
  if (block_.size() < std::min<std::uint64_t>(remaining, kCopyBlockSize)) {
    block_.resize(static_cast<std::size_t>(
        std::min<std::uint64_t>(remaining, kCopyBlockSize)));
  }
  while (remaining > 0) {
    if (observer.CancelRequested()) {
      return Status(FailureCode::kUserInterrupt);
    }
    const auto want = static_cast<std::size_t>(
        std::min<std::uint64_t>(remaining, block_.size()));
    Result<std::size_t> got = file_->ReadAt(offset, block_.data(), want);
    if (!got.ok()) return got.status();
    if (*got == 0) return Status(FailureCode::kInputPastEndOfFile);
    if (Status s = out.Append({block_.data(), *got}); !s.ok()) return s;
    offset += *got;
    remaining -= *got;
  }
  return Status::Ok();
}

}  // namespace mirlot
