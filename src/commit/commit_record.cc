// Moves staged outputs into place as one commit behind a durable record.
#include "commit/commit_record.h"

#include <memory>
#include <optional>
#include <vector>

#include "commit/commit_resolution.h"
#include "runtime/out_of_memory.h"
#include "runtime/reserved_names.h"

namespace mirlot {

namespace {

// Creates the record under its name, writes it and makes it and its name
// durable. On failure nothing of it is left.
Result<std::unique_ptr<ExclusiveFile>> PlaceRecord(Folder& folder,
                                                   const std::string& text) {
  Result<std::unique_ptr<ExclusiveFile>> record =
      folder.CreateExclusive(kCommitRecordName);
  if (!record.ok()) return record.status();
  Status status = (*record)->Append(text);
  if (status.ok()) status = (*record)->Sync();
  if (status.ok()) status = folder.SyncNames();
  if (status.ok()) return record;
  (void)folder.Remove(kCommitRecordName);
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
    Folder& folder, std::span<const StagedFile> files, const std::string& text,
    std::unique_ptr<ExclusiveFile>& record) {
  std::vector<Replacement> replacements;
  for (const StagedFile& file : files) {
    replacements.push_back({file.from, file.to});
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
    if (placed.ok()) record = std::move(*placed);
    return status;
  }
  return formers;
}

}  // namespace

Status CommitWithRecord(Folder& folder, std::span<const StagedFile> files) {
  Result<std::vector<RecordedMove>> moves = MovesOf(folder, files);
  if (!moves.ok()) return moves.status();
  const std::string text = EncodeCommitRecord(*moves);
  Result<std::unique_ptr<ExclusiveFile>> placed = PlaceRecord(folder, text);
  if (!placed.ok()) return placed.status();
  std::unique_ptr<ExclusiveFile> record = std::move(*placed);
  // Running out of memory between the moves is undone like any failure.
  Result<std::vector<std::string>> formers = OutOfMemoryAsFailure(
      [&] { return MoveUnderRecord(folder, files, text, record); });
  if (!formers.ok()) {
    if (record != nullptr) {
      (void)OutOfMemoryAsFailure([&] { return RollBack(folder, *moves); });
    }
    return formers.status();
  }
  record.reset();
  for (const std::string& name : *formers) (void)folder.Remove(name);
  return Status::Ok();
}

}  // namespace mirlot
