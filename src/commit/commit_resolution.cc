// Finds the files of an interrupted commit by content and settles them.
#include "commit/commit_resolution.h"

#include <algorithm>

#include "format/content_checksum.h"
#include "runtime/reserved_names.h"
#include "runtime/temporary_name.h"

namespace mirlot {

namespace {

// A regular file under one of a move's names.
struct Found {
  std::string name;
  std::uint64_t size = 0;
};

// Where one move's files are. A name is nullopt when that file is not
// there, "" for an earlier file that never existed.
struct MoveFiles {
  std::optional<std::string> earlier;
  std::optional<std::string> fresh;
  std::vector<std::string> all;  // every regular file under its names
  bool fresh_at_to = false;
};

// The names under which a commit or its undoing leaves a move's files.
std::vector<std::string> PlacesOf(const RecordedMove& move) {
  return {move.to, move.from, SetAsideName(move.from)};
}

Result<std::vector<Found>> RegularFilesOf(Folder& folder,
                                          const RecordedMove& move) {
  std::vector<Found> found;
  for (const std::string& name : PlacesOf(move)) {
    Result<std::optional<FileStatus>> status = folder.StatName(name);
    if (!status.ok()) return status.status().About(name);
    if (*status && (*status)->kind == FileKind::kRegular) {
      found.push_back({name, (*status)->size});
    }
  }
  return found;
}

Result<std::uint64_t> ChecksumAt(Folder& folder, const std::string& name) {
  Result<std::unique_ptr<ReadableFile>> file = folder.OpenForRead(name);
  if (!file.ok()) return file.status().About(name);
  Result<FileContent> content = ReadContentChecksum(**file);
  if (!content.ok()) return content.status().About(name);
  return content->checksum;
}

// The names among `files` that hold the new file, and those that may hold
// the earlier one.
struct Sorted {
  std::vector<std::string> fresh;
  std::vector<std::string> other;
  bool undecided = false;  // the two versions cannot be told apart
};

// A version 1 record knows the new file by its size alone. Where the
// earlier file had the same size, only copies of one content (two or more
// files, all equal) can be told: either version will do. Anything else is
// undecided.
Result<Sorted> SortBySize(Folder& folder, const RecordedMove& move,
                          const std::vector<Found>& files) {
  Sorted sorted;
  const bool equal_sizes = move.former_size == move.fresh_size;
  std::optional<std::uint64_t> content;
  for (const Found& file : files) {
    if (file.size == move.fresh_size && equal_sizes) {
      Result<std::uint64_t> checksum = ChecksumAt(folder, file.name);
      if (!checksum.ok()) return checksum.status();
      sorted.undecided |= content.value_or(*checksum) != *checksum;
      content = *checksum;
      sorted.fresh.push_back(file.name);
    } else if (file.size == move.fresh_size) {
      sorted.fresh.push_back(file.name);
    } else if (file.size == move.former_size) {
      sorted.other.push_back(file.name);
    }
  }
  sorted.undecided |= equal_sizes && sorted.fresh.size() == 1;
  return sorted;
}

Result<Sorted> Sort(Folder& folder, const RecordedMove& move,
                    const std::vector<Found>& files) {
  if (!move.fresh_checksum) return SortBySize(folder, move, files);
  Sorted sorted;
  for (const Found& file : files) {
    bool fresh = false;
    if (file.size == move.fresh_size) {
      Result<std::uint64_t> checksum = ChecksumAt(folder, file.name);
      if (!checksum.ok()) return checksum.status();
      fresh = *checksum == *move.fresh_checksum;
    }
    if (fresh) {
      sorted.fresh.push_back(file.name);
    } else if (file.size == move.former_size) {
      sorted.other.push_back(file.name);
    }
  }
  return sorted;
}

Result<MoveFiles> Locate(Folder& folder, const RecordedMove& move) {
  Result<std::vector<Found>> files = RegularFilesOf(folder, move);
  if (!files.ok()) return files.status();
  Result<Sorted> sorted = Sort(folder, move, *files);
  if (!sorted.ok()) return sorted.status();
  MoveFiles located;
  for (const Found& file : *files) located.all.push_back(file.name);
  const std::vector<std::string>& fresh = sorted->fresh;
  const std::vector<std::string>& other = sorted->other;
  located.fresh_at_to = !fresh.empty() && fresh.front() == move.to;
  if (sorted->undecided) return located;
  if (!fresh.empty()) located.fresh = fresh.front();
  if (!move.former_size) {
    located.earlier = "";
  } else if (other.size() == 1) {
    located.earlier = other.front();
  } else if (other.empty() && fresh.size() >= 2) {
    located.earlier = fresh.front();  // the same content as the new one
  }
  return located;
}

// What else than `kept` the move's names hold; the new file under its `to`
// too when nothing is to be kept there.
std::vector<std::string> Removed(const RecordedMove& move,
                                 const MoveFiles& files,
                                 const std::string& kept) {
  std::vector<std::string> removed;
  for (const std::string& name : files.all) {
    if (name == kept) continue;
    if (name != move.to || (kept.empty() && files.fresh_at_to)) {
      removed.push_back(name);
    }
  }
  return removed;
}

}  // namespace

Result<std::optional<Resolution>> Resolve(Folder& folder,
                                          std::span<const RecordedMove> moves) {
  std::vector<MoveFiles> located;
  for (const RecordedMove& move : moves) {
    Result<MoveFiles> files = Locate(folder, move);
    if (!files.ok()) return files.status();
    located.push_back(std::move(*files));
  }
  for (const bool earlier : {true, false}) {
    Resolution resolution{earlier, {}, {}};
    for (std::size_t i = 0; i < moves.size(); ++i) {
      const std::optional<std::string>& where =
          earlier ? located[i].earlier : located[i].fresh;
      if (!where) break;
      resolution.kept.push_back(*where);
      resolution.removed.push_back(Removed(moves[i], located[i], *where));
    }
    if (resolution.kept.size() == moves.size()) {
      return std::optional<Resolution>(std::move(resolution));
    }
  }
  return std::optional<Resolution>();
}

Status Settle(Folder& folder, std::span<const RecordedMove> moves,
              const Resolution& resolution) {
  for (std::size_t i = 0; i < moves.size(); ++i) {
    const std::string& kept = resolution.kept[i];
    if (!kept.empty() && kept != moves[i].to) {
      if (Status s = folder.MoveOnto(kept, moves[i].to); !s.ok()) return s;
    }
    for (const std::string& name : resolution.removed[i]) {
      if (Status s = folder.Remove(name); !s.ok()) return s;
    }
  }
  if (Status s = folder.SyncNames(); !s.ok()) return s;
  if (Status s = folder.Remove(kCommitRecordName); !s.ok()) return s;
  return folder.SyncNames();
}

}  // namespace mirlot
