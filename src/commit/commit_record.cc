// Moves staged outputs into place as one commit behind a durable record.
#include "commit/commit_record.h"

#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "commit/commit_resolution.h"
#include "runtime/out_of_memory.h"
#include "runtime/reserved_names.h"

namespace mirlot {

namespace {

// Closes and removes the record that `record` holds open.
void DropRecord(Folder& folder, std::unique_ptr<ExclusiveFile>& record) {
  record.reset();  // Windows keeps a removed file's name while it is open
  (void)folder.Remove(kCommitRecordName);
}

// Creates the record under its name and writes it. On failure nothing of
// it is left.
Result<std::unique_ptr<ExclusiveFile>> PlaceRecord(Folder& folder,
                                                   const std::string& text) {
  Result<std::unique_ptr<ExclusiveFile>> record =
      folder.CreateExclusive(kCommitRecordName);
  if (!record.ok()) return record.status();
  Status status = (*record)->Append(text);
  if (status.ok()) return record;
  DropRecord(folder, *record);
  return status;
}

// Makes the record and its name durable.
Status SecureRecord(Folder& folder, ExclusiveFile& record) {
  Status status = record.Sync();
  if (status.ok()) status = folder.SyncNames();
  return status;
}

Result<std::vector<RecordedMove>> MovesOf(Folder& folder,
                                          std::span<const StagedFile> files) {
  std::vector<RecordedMove> moves;
  for (const StagedFile& file : files) {
    Result<std::optional<FileStatus>> former = folder.StatName(file.to);
    if (!former.ok()) return former.status();
    RecordedMove move{file.from, file.to, std::nullopt, file.size,
                      file.checksum};
    if (*former && (*former)->kind == FileKind::kRegular) {
      move.former_size = (*former)->size;
    }
    moves.push_back(std::move(move));
  }
  return moves;
}

// Puts the earlier files back after a failed commit whose record this run
// holds, and removes the record; where that cannot be done, the record
// stays for the next command.
Status RollBack(Folder& folder, std::span<const RecordedMove> moves) {
  Result<std::optional<Resolution>> resolution = Resolve(folder, moves);
  if (!resolution.ok() || !*resolution) return resolution.status();
  return Settle(folder, moves, **resolution);
}

// Moves the files into place while `record` holds the record of it, and
// removes the record. Should making its removal durable fail, the record
// is placed again, in `record`, and the earlier files are to go back.
// On success returns the names where the earlier files wait.
Result<std::vector<std::string>> MoveUnderRecord(
    Folder& folder, std::span<const RecordedMove> moves,
    const std::string& text, std::unique_ptr<ExclusiveFile>& record) {
  std::vector<Replacement> replacements;
  for (const RecordedMove& move : moves) {
    replacements.push_back({move.from, move.to});
  }
  Result<std::vector<std::string>> formers =
      folder.ReplaceTogether(replacements);
  Status status = formers.ok() ? folder.SyncNames() : formers.status();
  if (status.ok()) status = folder.Remove(kCommitRecordName);
  if (!status.ok()) return status;
  // The new files count once the record's removal is durable.
  if (status = folder.SyncNames(); !status.ok()) {
    record.reset();  // Windows keeps a removed file's name while it is open
    Result<std::unique_ptr<ExclusiveFile>> placed = PlaceRecord(folder, text);
    if (!placed.ok()) return status;
    if (SecureRecord(folder, **placed).ok()) {
      record = std::move(*placed);
    } else {
      DropRecord(folder, *placed);
    }
    return status;
  }
  return formers;
}

}  // namespace

CommitRecord::CommitRecord(Folder& folder, std::unique_ptr<ExclusiveFile> file,
                           std::vector<RecordedMove> moves, std::string text)
    : folder_(&folder),
      file_(std::move(file)),
      moves_(std::move(moves)),
      text_(std::move(text)) {}

CommitRecord::~CommitRecord() {
  if (file_ != nullptr) DropRecord(*folder_, file_);
}

Result<CommitRecord> WriteCommitRecord(Folder& folder,
                                       std::span<const StagedFile> files) {
  Result<std::vector<RecordedMove>> moves = MovesOf(folder, files);
  if (!moves.ok()) return moves.status();
  std::string text = EncodeCommitRecord(*moves);
  Result<std::unique_ptr<ExclusiveFile>> placed = PlaceRecord(folder, text);
  if (!placed.ok()) return placed.status();
  return CommitRecord(folder, std::move(*placed), std::move(*moves),
                      std::move(text));
}

Status CommitWithRecord(CommitRecord record) {
  Folder& folder = *record.folder_;
  if (Status s = SecureRecord(folder, *record.file_); !s.ok()) return s;
  // Running out of memory between the moves is undone like any failure.
  Result<std::vector<std::string>> formers = OutOfMemoryAsFailure([&] {
    return MoveUnderRecord(folder, record.moves_, record.text_, record.file_);
  });
  if (!formers.ok()) {
    if (record.file_ != nullptr) {
      (void)OutOfMemoryAsFailure(
          [&] { return RollBack(folder, record.moves_); });
      record.file_.reset();  // settled, or left for the next command
    }
    return formers.status();
  }
  record.file_.reset();
  for (const std::string& name : *formers) (void)folder.Remove(name);
  return Status::Ok();
}

}  // namespace mirlot
