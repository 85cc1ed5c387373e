// Judges a record a crash left and settles the commit it names.
#include "commit/interrupted_commit.h"

#include <algorithm>
#include <set>
#include <vector>

#include "commit/commit_resolution.h"
#include "format/commit_record_text.h"
#include "runtime/path.h"
#include "runtime/reserved_names.h"
#include "runtime/temporary_name.h"

namespace mirlot {

namespace {

// No record of ours comes near this size.
constexpr std::size_t kLargestRecord = 64 * 1024;

// What a command may do with the record it found.
struct Rights {
  bool may_change = false;  // the record's writer is gone, or the folder locked
  bool writer_lives = false;
};

// The text of `record`, or one byte more than any record holds.
Result<std::string> ReadText(ReadableFile& record) {
  std::string text(kLargestRecord + 1, '\0');
  std::size_t got = 0;
  while (got < text.size()) {
    Result<std::size_t> read =
        record.ReadAt(got, text.data() + got, text.size() - got);
    if (!read.ok()) return read.status();
    if (*read == 0) break;
    got += *read;
  }
  text.resize(got);
  return text;
}

// The first name in `moves` that a commit of this program into a folder
// with `outputs` would never write, "" when there is none: a `to` must be
// one of the outputs, at most once, and a `from` this program's temporary
// name for it. Each `to` is given the spelling of its output, which is
// the same file where names are compared without case.
std::string ForeignName(std::vector<RecordedMove>& moves,
                        std::span<const std::string> outputs) {
  std::set<std::string> targets;
  for (RecordedMove& move : moves) {
    const auto output =
        std::find_if(outputs.begin(), outputs.end(), [&](const std::string& o) {
          return FileNameKey(o) == FileNameKey(move.to);
        });
    if (!IsPlainName(move.to) || output == outputs.end() ||
        !targets.insert(*output).second) {
      return move.to;
    }
    move.to = *output;
    if (!IsPlainName(move.from) || !IsTemporaryNameOf(move.from, move.to)) {
      return move.from;
    }
  }
  return "";
}

class Judge {
 public:
  Judge(Folder& folder, const std::string& folder_path,
        std::span<const std::string> outputs, bool locked)
      : folder_(folder),
        folder_path_(folder_path),
        record_path_(ResolveIn(folder_path, kCommitRecordName)),
        outputs_(outputs),
        locked_(locked) {}

  Result<Settlement> Settle() {
    Result<std::unique_ptr<LockableFile>> record =
        folder_.OpenLockable(kCommitRecordName);
    if (!record.ok()) {
      if (record.status().Is(FailureCode::kFileNotFound)) return Settlement{};
      if (record.status().Is(FailureCode::kPathFileAccessError)) {
        return NotAFile();
      }
      return record.status().About(record_path_);
    }
    Result<LockAttempt> attempt = (*record)->TryLock();
    if (attempt.ok() && *attempt == LockAttempt::kRemoved) return Settlement{};
    const Rights rights = RightsFrom(attempt);
    if ((*record)->foreign_owner()) {
      return Discard(rights, "not ours (owned by another user)");
    }
    Result<std::string> text = ReadText((*record)->file());
    if (!text.ok()) return text.status().About(record_path_);
    return Act(rights, DecodeCommitRecord(*text));
  }

 private:
  Rights RightsFrom(const Result<LockAttempt>& attempt) const {
    if (!attempt.ok()) return {locked_, false};
    if (*attempt == LockAttempt::kHeldElsewhere) return {false, true};
    return {true, false};
  }

  Result<Settlement> Act(const Rights& rights, DecodedRecord record) {
    if (record.text == RecordText::kIncomplete) {
      // Its writer moves nothing before the record is whole.
      if (rights.writer_lives) return Settlement{{}, "", Busy()};
      return Discard(rights, "incomplete");
    }
    if (record.text == RecordText::kUnknown) {
      return Discard(rights, "not ours (not a commit record)");
    }
    if (const std::string name = ForeignName(record.moves, outputs_);
        !name.empty()) {
      return Discard(rights, "not ours (it names " + name + ")");
    }
    Result<std::optional<Resolution>> resolution =
        Resolve(folder_, record.moves);
    if (!resolution.ok()) return resolution.status().About(folder_path_);
    if (!*resolution) return CannotTell();
    if (rights.may_change) {
      if (Status s = mirlot::Settle(folder_, record.moves, **resolution);
          !s.ok()) {
        return s.About("rolling back the commit " + record_path_);
      }
      return Settlement{};
    }
    Settlement settlement;
    for (std::size_t i = 0; i < record.moves.size(); ++i) {
      settlement.located[record.moves[i].to] = (*resolution)->kept[i];
    }
    settlement.remains = rights.writer_lives ? Busy() : Unlockable();
    return settlement;
  }

  // Something other than a regular file has the record's name: a link is
  // removed where the record may be (and the platform removes the link
  // itself), a folder never.
  Result<Settlement> NotAFile() {
    Result<std::optional<FileStatus>> status =
        folder_.StatName(kCommitRecordName);
    if (!status.ok()) return status.status().About(record_path_);
    if (*status && (*status)->kind == FileKind::kDirectory) {
      return InPlace(record_path_ + ": not ours (a folder)");
    }
    return Discard({locked_, false}, "not ours (not a regular file)");
  }

  // A record that cannot be removed: said, and in a pack's way.
  static Settlement InPlace(const std::string& said) {
    return {
        {}, said + ", left in place", said + "; remove it, then pack again"};
  }

  // Removes a record that is not acted on, where it may be changed.
  Result<Settlement> Discard(const Rights& rights, const std::string& what) {
    const std::string said = record_path_ + ": " + what;
    if (!rights.may_change) {
      return Settlement{
          {},
          said + ", left in place",
          rights.writer_lives ? Busy() : said + "; " + Unlockable()};
    }
    if (!folder_.Remove(kCommitRecordName).ok()) return InPlace(said);
    if (Status s = folder_.SyncNames(); !s.ok()) return s.About(folder_path_);
    return Settlement{{}, said + ", removed", ""};
  }

  Status CannotTell() const {
    return Status(static_cast<int>(FailureCode::kPathFileAccessError),
                  record_path_ +
                      ": a commit was interrupted, and which of its files "
                      "belong together cannot be told (some were removed "
                      "or changed); keep what you need of the files in " +
                      folder_path_ + ", then remove " + record_path_);
  }

  std::string Busy() const {
    return "another run is moving its outputs into " + folder_path_ + " (" +
           record_path_ + "); pack again once it has finished";
  }

  std::string Unlockable() const {
    return "only a run that can lock " + folder_path_ +
           " may settle it: run mirlot there as a user who may read the "
           "folder";
  }

  Folder& folder_;
  const std::string& folder_path_;
  const std::string record_path_;
  std::span<const std::string> outputs_;
  bool locked_;
};

}  // namespace

Result<Settlement> SettleInterruptedCommit(Folder& folder,
                                           const std::string& folder_path,
                                           std::span<const std::string> outputs,
                                           bool locked) {
  return Judge(folder, folder_path, outputs, locked).Settle();
}

}  // namespace mirlot
