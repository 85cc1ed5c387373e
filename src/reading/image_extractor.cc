// Takes each payload of an image out into a file of its own, through temporary
// files in a folder opened once.
#include "reading/image_extractor.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "runtime/path.h"

namespace mirlot {

namespace {

constexpr std::size_t kCopyBlockSize = 1024 * 1024;

// `failure` with `what` put in front of its description.
Status About(const std::string& what, const Status& failure) {
  return Status(failure.number(), what + ": " + failure.description());
}

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
                                              const std::string& image_path) {
  Result<std::unique_ptr<ReadableFile>> file =
      file_system.OpenForRead(image_path);
  if (!file.ok()) return file.status();
  Result<ImageReader> image = ImageReader::Open(**file);
  if (!image.ok()) return image.status();
  Result<SoundnessCheck> verdict = CheckImage(*image);
  if (!verdict.ok()) return verdict.status();
  std::vector<std::string> report_names;
  Result<ReportMatch> report = MatchReport(
      file_system, ReportPathBeside(image_path), *image, &report_names);
  if (!report.ok()) return report.status();
  ImageExtraction extraction(file_system, std::move(*file), std::move(*image),
                             std::move(*verdict));
  extraction.report_ = std::move(*report);
  if (extraction.report_.matches()) {
    extraction.names_ = ExtractNames(report_names);
  }
  return extraction;
}

Result<ExtractSummary> ImageExtraction::WriteTo(const std::string& folder,
                                                bool force,
                                                ExtractObserver& observer) {
  ExtractSummary summary;
  if (!verdict_.sound() && !force) {
    summary.outcome = ExtractSummary::Outcome::kUnsound;
    return summary;
  }
  bool existed = false;
  if (Status s = PrepareFolder(folder, existed); !s.ok()) return s;
  Result<std::unique_ptr<Folder>> opened = file_system_.OpenFolder(folder);
  if (!opened.ok()) return About(folder, opened.status());
  Folder& out = **opened;
  if (existed && !force) {
    Result<std::uint64_t> existing =
        CountExisting(out, folder, summary.first_existing);
    if (!existing.ok()) return existing.status();
    if (*existing > 0) {
      summary.outcome = ExtractSummary::Outcome::kExisting;
      summary.existing_count = *existing;
      return summary;
    }
  }
  TableCursor cursor(image_);
  while (!cursor.AtEnd()) {
    const std::uint64_t index = cursor.next_index();
    Result<TableEntry> entry = cursor.Next();
    if (!entry.ok()) return entry.status();
    if (!LiesInsideFile(*entry, image_.file_size())) {
      observer.OnSkipped(index + 1, *entry);
      ++summary.skipped;
      continue;
    }
    const std::string name = names_.NameOf(index);
    if (Status s = WriteEntry(out, name, *entry, force, observer); !s.ok()) {
      return s.Is(FailureCode::kUserInterrupt)
                 ? s
                 : About(ResolveIn(folder, name), s);
    }
    observer.OnWritten(index + 1, ResolveIn(folder, name),
                       static_cast<std::uint64_t>(entry->length));
    ++summary.written;
  }
  return summary;
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
    return About(folder, status.status());
  }
  existed = false;
  if (Status s = file_system_.CreateFolder(folder); !s.ok()) {
    return About("cannot create folder " + folder, s);
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
    Result<bool> exists = folder.NameTaken(name);
    if (!exists.ok()) {
      return About(ResolveIn(folder_path, name), exists.status());
    }
    if (!*exists) continue;
    if (count++ == 0) first = ResolveIn(folder_path, name);
  }
  return count;
}

// On failure the description is the bare failure's, or "exists already";
// the caller names the file.
Status ImageExtraction::WriteEntry(Folder& folder, const std::string& name,
                                   const TableEntry& entry, bool force,
                                   ExtractObserver& observer) {
  Result<std::unique_ptr<WritableFile>> out = folder.CreateTemporary(name);
  if (!out.ok()) {
    return Status(out.status().number(),
                  "cannot create a file: " + out.status().description());
  }
  const std::string temporary = (*out)->name();
  Status status = CopyPayload(entry, **out, observer);
  Status closed = (*out)->Close();
  if (status.ok()) status = closed;
  if (status.ok()) status = folder.SyncClosedFiles();
  if (status.ok() && observer.CancelRequested()) {
    status = Status(FailureCode::kUserInterrupt);
  }
  if (status.ok() && force) {
    const Replacement replacement[] = {{temporary, name}};
    status = folder.ReplaceTogether(replacement);
  } else if (status.ok()) {
    status = folder.MoveWithoutReplacing(temporary, name);
    if (status.Is(FailureCode::kPathFileAccessError)) {
      status = Status(status.number(), "exists already");
    }
  }
  if (!status.ok()) (void)folder.Remove(temporary);
  return status;
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
