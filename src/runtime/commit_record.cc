// The durable record of a commit, and the rollback of one that was
// interrupted.
#include "runtime/commit_record.h"

#include <charconv>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "runtime/temporary_name.h"

namespace mirlot {

namespace {

constexpr std::string_view kHeading = "mirlot commit 1";
constexpr std::string_view kEnd = "end";
constexpr std::string_view kNone = "none";
// No record of ours comes near this size.
constexpr std::size_t kLargestRecord = 64 * 1024;

// One file as the record knows it.
struct Version {
  bool present = false;
  std::uint64_t size = 0;
  FileIdentity identity;
};

struct Move {
  std::string from, to;
  Version former, fresh;
};

Version VersionOf(const std::optional<FileStatus>& status) {
  if (!status) return {};
  return {true, status->size, status->identity};
}

// True when `status` is the file `version` describes. An identity the
// platform could not learn is told by its size alone.
bool Holds(const std::optional<FileStatus>& status, const Version& version) {
  return status && version.present && status->size == version.size &&
         (version.identity == FileIdentity{} ||
          status->identity == version.identity);
}

std::string VersionText(const Version& version) {
  if (!version.present) return std::string(kNone);
  return std::to_string(version.size) + " " +
         std::to_string(version.identity.device) + " " +
         std::to_string(version.identity.object);
}

std::optional<Version> ParseVersion(std::string_view text) {
  if (text == kNone) return Version{};
  Version version{true, 0, {}};
  std::uint64_t* const fields[] = {&version.size, &version.identity.device,
                                   &version.identity.object};
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  for (std::uint64_t* field : fields) {
    if (field != fields[0] && (at == end || *at++ != ' ')) return std::nullopt;
    const auto [next, error] = std::from_chars(at, end, *field);
    if (error != std::errc()) return std::nullopt;
    at = next;
  }
  if (at != end) return std::nullopt;
  return version;
}

std::string EncodeRecord(const std::vector<Move>& moves) {
  std::string text = std::string(kHeading) + "\n";
  for (const Move& move : moves) {
    text += move.from + "\n" + move.to + "\n" + VersionText(move.former) +
            "\n" + VersionText(move.fresh) + "\n";
  }
  return text + std::string(kEnd) + "\n";
}

// The moves of a whole record; nullopt for anything else.
std::optional<std::vector<Move>> DecodeRecord(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  if (lines.size() < 2 || lines.front() != kHeading || lines.back() != kEnd ||
      (lines.size() - 2) % 4 != 0) {
    return std::nullopt;
  }
  std::vector<Move> moves;
  for (std::size_t i = 1; i + 1 < lines.size(); i += 4) {
    std::optional<Version> former = ParseVersion(lines[i + 2]);
    std::optional<Version> fresh = ParseVersion(lines[i + 3]);
    if (!former || !fresh || !fresh->present) return std::nullopt;
    moves.push_back(
        {std::string(lines[i]), std::string(lines[i + 1]), *former, *fresh});
  }
  return moves;
}

// On success returns the record's moves: nullopt when there is no record,
// none when it is not one of ours. On failure returns the read failure.
Result<std::optional<std::vector<Move>>> ReadRecord(Folder& folder) {
  Result<std::unique_ptr<ReadableFile>> file =
      folder.OpenForRead(kCommitRecordName);
  if (!file.ok()) {
    if (file.status().Is(FailureCode::kFileNotFound)) {
      return std::optional<std::vector<Move>>();
    }
    return file.status();
  }
  std::string text(kLargestRecord + 1, '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    Result<std::size_t> read =
        (*file)->ReadAt(got, text.data() + got, text.size() - got);
    if (!read.ok()) return read.status();
    if (*read == 0) break;
    got += *read;
  }
  text.resize(got);
  return std::optional<std::vector<Move>>(
      DecodeRecord(text).value_or(std::vector<Move>{}));
}

// The names where a move's files can be while it is carried out or undone.
std::vector<std::string> PlacesOf(const Move& move) {
  return {move.to, move.from, SetAsideName(move.from)};
}

// On success returns the name among PlacesOf(`move`) that holds `version`,
// "" when none does.
Result<std::string> Find(Folder& folder, const Move& move,
                         const Version& version) {
  for (const std::string& name : PlacesOf(move)) {
    Result<std::optional<FileStatus>> status = folder.StatName(name);
    if (!status.ok()) return status.status();
    if (Holds(*status, version)) return name;
  }
  return std::string();
}

// Which version of every move the rollback keeps: the former ones when all
// of them can still be found, else the new ones when all of those can.
// On success returns where each kept file is ("" for a former file that did
// not exist), or nothing when neither set is whole. On failure returns the
// failure to look up a name.
Result<std::vector<std::pair<Version, std::string>>> ChooseKept(
    Folder& folder, const std::vector<Move>& moves) {
  for (const bool former : {true, false}) {
    std::vector<std::pair<Version, std::string>> kept;
    for (const Move& move : moves) {
      const Version& version = former ? move.former : move.fresh;
      Result<std::string> where = Find(folder, move, version);
      if (!where.ok()) return where.status();
      if (version.present && where->empty()) break;
      kept.emplace_back(version, std::move(*where));
    }
    if (kept.size() == moves.size()) return kept;
  }
  return std::vector<std::pair<Version, std::string>>();
}

// Removes `name` when something has it.
Status RemoveIfThere(Folder& folder, const std::string& name) {
  Result<std::optional<FileStatus>> status = folder.StatName(name);
  if (!status.ok()) return status.status();
  return *status ? folder.Remove(name) : Status::Ok();
}

// Puts the kept file of `move`, now at `where`, onto its `to`, and removes
// every other file of the move.
Status Settle(Folder& folder, const Move& move, const Version& kept,
              const std::string& where) {
  if (kept.present && where != move.to) {
    if (Status s = folder.MoveOnto(where, move.to); !s.ok()) return s;
  }
  if (!kept.present) {
    Result<std::optional<FileStatus>> at_to = folder.StatName(move.to);
    if (!at_to.ok()) return at_to.status();
    if (Holds(*at_to, move.fresh)) {
      if (Status s = folder.Remove(move.to); !s.ok()) return s;
    }
  }
  for (const std::string& name : PlacesOf(move)) {
    if (name == move.to) continue;
    if (Status s = RemoveIfThere(folder, name); !s.ok()) return s;
  }
  return Status::Ok();
}

// Writes the record under a temporary name, makes it durable, gives it its
// name and makes that durable too.
Status PlaceRecord(Folder& folder, const std::string& text) {
  Result<std::unique_ptr<WritableFile>> file =
      folder.CreateTemporary(kCommitRecordName);
  if (!file.ok()) return file.status();
  const std::string temporary = (*file)->name();
  Status status = (*file)->Append(text);
  Status closed = (*file)->Close();
  if (status.ok()) status = closed;
  if (status.ok()) status = folder.SyncClosedFiles();
  if (status.ok()) {
    status = folder.MoveWithoutReplacing(temporary, kCommitRecordName);
  }
  if (!status.ok()) {
    (void)folder.Remove(temporary);
    return status;
  }
  status = folder.SyncNames();
  if (!status.ok()) (void)folder.Remove(kCommitRecordName);
  return status;
}

}  // namespace

Status CommitWithRecord(Folder& folder,
                        std::span<const Replacement> replacements) {
  std::vector<Move> moves;
  for (const Replacement& r : replacements) {
    Result<std::optional<FileStatus>> former = folder.StatName(r.to);
    if (!former.ok()) return former.status();
    Result<std::optional<FileStatus>> fresh = folder.StatName(r.from);
    if (!fresh.ok()) return fresh.status();
    if (!*fresh) return Status(FailureCode::kFileNotFound);
    moves.push_back({r.from, r.to, VersionOf(*former), VersionOf(*fresh)});
  }
  const std::string record = EncodeRecord(moves);
  if (Status s = PlaceRecord(folder, record); !s.ok()) return s;
  Result<std::vector<std::string>> formers =
      folder.ReplaceTogether(replacements);
  Status status = formers.ok() ? folder.SyncNames() : formers.status();
  if (status.ok()) status = folder.Remove(kCommitRecordName);
  // The new files count once the record's removal is durable; should that
  // fail, the record goes back and the earlier files with it.
  if (status.ok()) {
    status = folder.SyncNames();
    if (!status.ok()) (void)PlaceRecord(folder, record);
  }
  if (!status.ok()) {
    (void)RollBackInterruptedCommit(folder);
    return status;
  }
  for (const std::string& name : *formers) (void)folder.Remove(name);
  return Status::Ok();
}

Status RollBackInterruptedCommit(Folder& folder) {
  Result<std::optional<std::vector<Move>>> moves = ReadRecord(folder);
  if (!moves.ok()) return moves.status();
  if (!*moves) return Status::Ok();
  Result<std::vector<std::pair<Version, std::string>>> kept =
      ChooseKept(folder, **moves);
  if (!kept.ok()) return kept.status();
  for (std::size_t i = 0; i < kept->size(); ++i) {
    const auto& [version, where] = (*kept)[i];
    if (Status s = Settle(folder, (**moves)[i], version, where); !s.ok()) {
      return s;
    }
  }
  if (Status s = folder.SyncNames(); !s.ok()) return s;
  if (Status s = folder.Remove(kCommitRecordName); !s.ok()) return s;
  return folder.SyncNames();
}

Result<std::map<std::string, std::string>> LocateRolledBackFiles(
    Folder& folder) {
  Result<std::optional<std::vector<Move>>> moves = ReadRecord(folder);
  if (!moves.ok()) return moves.status();
  std::map<std::string, std::string> located;
  if (!*moves) return located;
  Result<std::vector<std::pair<Version, std::string>>> kept =
      ChooseKept(folder, **moves);
  if (!kept.ok()) return kept.status();
  for (std::size_t i = 0; i < kept->size(); ++i) {
    located[(**moves)[i].to] = (*kept)[i].second;
  }
  return located;
}

}  // namespace mirlot
