// The file services of the packing run, the image reader and extraction.
// One real implementation talks to the host; tests substitute an in-memory
// one.
#ifndef MIRLOT_RUNTIME_FILE_SYSTEM_H_
#define MIRLOT_RUNTIME_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/result.h"
#include "runtime/status.h"

namespace mirlot {

enum class FileKind { kRegular, kDirectory, kOther };

// Tells one file from another whatever name reaches it: two names of one
// file (hard or symbolic links) give equal identities. All zero when the
// platform could not learn it.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t object = 0;  // the file's number on its device
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

struct FileStatus {
  FileKind kind = FileKind::kOther;
  std::uint64_t size = 0;
  // Hidden from ordinary listings on this platform (a dot-file here).
  bool hidden = false;
  FileIdentity identity;
  // Owned by neither the user this process runs as nor the administrator,
  // so possibly put here by someone else. Always false where this program
  // does not check owners (Windows).
  bool foreign_owner = false;
};

// A file opened for reading. Reads are positional, so one open file can be
// read from anywhere without a shared cursor.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;

  // Reads up to `length` bytes starting at byte `offset` into `buffer`.
  // On success returns the number of bytes read, fewer than `length` only at
  // the end of the file (0 when `offset` is at or past it).
  // On failure returns the failure; `buffer` holds unspecified bytes.
  virtual Result<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                                     std::size_t length) = 0;

  // The file's size as the open measured it, while it checked the file's
  // kind: asking costs no further call to the system, and a change to the
  // file after it was opened goes unseen here.
  // On success returns that size in bytes. On failure returns the failure.
  virtual Result<std::uint64_t> Size() = 0;
};

// A new file being written from its start, made by Folder::CreateTemporary.
// Data may be held in memory until Close(); nothing is durable before the
// folder's SyncClosedFiles() succeeds.
class WritableFile {
 public:
  // Removes the file unless Close() succeeded, without allocating: whatever
  // ends its writer early, running out of memory included, leaves no file.
  // A closed file is its folder's until moved or removed there.
  virtual ~WritableFile() = default;

  // Appends `data` at the end of what was written so far.
  // On success all of `data` is accepted. On failure the file's content past
  // the last successful Append is unspecified.
  virtual Status Append(std::string_view data) = 0;

  // Writes out everything appended and closes the file; its folder makes
  // the content durable later (Folder::SyncClosedFiles).
  // On success the whole content is written. On failure the content is
  // unspecified and the file goes when this is destroyed. Either way the
  // file takes no more calls.
  virtual Status Close() = 0;

  // The file's name in its folder.
  virtual const std::string& name() const = 0;
};

// The lock of one folder, held from TryLock until destroyed. The operating
// system releases it when the holder dies. What taking it made in the
// folder goes with the holder that made it (a power cut may leave it, and
// later holders lock it as usual); nothing else there is ever touched.
class FolderLock {
 public:
  virtual ~FolderLock() = default;

  // False for a stand-in taken where the platform cannot lock the folder
  // (for example a folder that cannot be opened for reading): the holder
  // then goes on unprotected and must not remove other runs' files.
  virtual bool held() const = 0;

  // Why a stand-in holds nothing: the failure that kept the lock from being
  // taken (Ok when held).
  virtual Status why_not_held() const = 0;
};

// A file this process created under its own name and holds locked,
// exclusively, until it destroys it: the commit record, whose lock tells
// every other process that its writer still lives. Writes are not buffered.
class ExclusiveFile {
 public:
  virtual ~ExclusiveFile() = default;

  // Appends `data` at the end of what was written so far.
  // On success all of `data` is written. On failure the file's content past
  // the last successful Append is unspecified.
  virtual Status Append(std::string_view data) = 0;

  // Makes what was appended durable.
  // On success it survives a crash. On failure returns the failure.
  virtual Status Sync() = 0;
};

// How an attempt at an existing file's exclusive lock ended.
enum class LockAttempt {
  kTaken,          // held until the file is destroyed
  kHeldElsewhere,  // another open of the file holds a lock on it
  kRemoved,        // taken, but the file lost its name meanwhile
};

// An existing regular file of a folder, reached without following a link,
// opened to judge whether to trust it and whether its writer still lives.
class LockableFile {
 public:
  virtual ~LockableFile() = default;

  // The file, to read it.
  virtual ReadableFile& file() = 0;

  // FileStatus::foreign_owner of the file opened.
  virtual bool foreign_owner() const = 0;

  // Takes the file's exclusive lock if no other open of it holds a lock;
  // never waits.
  // On success returns how the attempt ended. On failure returns why the
  // platform cannot lock this file.
  virtual Result<LockAttempt> TryLock() = 0;
};

// Who may hold a folder's lock at once: one writer, or any number of
// readers where the platform has shared locks.
enum class LockKind { kExclusive, kShared };

// One file to be moved onto another name in the same folder.
struct Replacement {
  std::string from;
  std::string to;
};

// A folder opened once, the one way to write: outputs are made under
// temporary names here, made durable, and moved onto their names. Names are
// plain file names (IsPlainName in path.h), looked up relative to the open
// folder, not to its path, so that a folder renamed or replaced by a link
// meanwhile cannot redirect them. Every method refuses any other name with
// 52 "Bad file name or number" before it touches anything, so that no name
// read from a file can reach beyond the folder.
class Folder {
 public:
  virtual ~Folder() = default;

  // Takes the folder's lock of `kind` if no other holder keeps it out;
  // never waits.
  // Returns the lock, held; a stand-in that holds nothing (held() false)
  // and says why when the platform cannot lock this folder; nullptr when
  // another holder keeps it out (try again later). Cannot fail otherwise.
  virtual std::unique_ptr<FolderLock> TryLock(LockKind kind) = 0;

  // Removes the files that CreateTemporary made here from any of the stems
  // `final_names` and that no process has open any more: left by a run that
  // was killed or lost its power, with what a replacement set aside under
  // their SetAsideName. Reads the folder's listing once, however many stems
  // are given. Call only while holding the exclusive lock, and only once an
  // interrupted commit is settled (commit/interrupted_commit.h): until then
  // such a file may hold the only copy of an earlier output. Nothing else is
  // touched. Cannot fail: a file that cannot be removed stays.
  virtual void RemoveStaleTemporaries(
      std::span<const std::string_view> final_names) = 0;

  // Looks up `name` here without following a final symbolic link.
  // On success returns its kind, size and identity, or nullopt when nothing
  // has the name (a removed file that another program still holds open
  // counts as gone). On failure returns the failure, as FileSystem::Stat
  // does.
  virtual Result<std::optional<FileStatus>> StatName(
      const std::string& name) = 0;

  // Opens the existing regular file `name` here for reading.
  // On success returns the open file, which keeps its content whatever
  // later moves do to the name. On failure returns the failure, as
  // FileSystem::OpenForRead does.
  virtual Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& name) = 0;

  // Creates a new, empty file with a unique name made from `stem` here (a
  // TemporaryName), for a file that will be moved to `final_name`. The
  // folder must outlive the file. Where a regular file has that name
  // already, the new one keeps who may read and write it: its mode, owner
  // and group on POSIX, as far as the process may set them (Windows carries
  // attributes and security over as it replaces).
  // On success returns the file. On failure returns 70 when the folder
  // cannot be written, 61 when it is full, else 75; nothing was created.
  virtual Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name, const std::string& stem) = 0;

  // CreateTemporary with a name made from `final_name` itself.
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name) {
    return CreateTemporary(final_name, final_name);
  }

  // Creates the new file `name` here, never through a link, and locks it
  // exclusively until the file is destroyed (where the platform cannot lock
  // it, the file is made all the same, unlocked).
  // On success returns the file, empty. On failure returns 75 when anything
  // has the name already, 70 when the folder cannot be written, 61 when it
  // is full; nothing was created.
  virtual Result<std::unique_ptr<ExclusiveFile>> CreateExclusive(
      const std::string& name) = 0;

  // Opens the existing `name` here for reading, without following a link.
  // On success returns the file. On failure returns 53 when nothing has the
  // name, 75 when it is not a regular file (a folder, a link, a pipe), 70
  // when it may not be read.
  virtual Result<std::unique_ptr<LockableFile>> OpenLockable(
      const std::string& name) = 0;

  // Makes the content of every file made here and closed since the last
  // call durable, all of them in one pass. The platform may keep such a
  // file open until then (and Windows refuses to move it meanwhile), so
  // call it before moving them, and at least every few hundred files.
  // On success their content survives a crash. On failure returns the
  // failure; what is durable is unspecified.
  virtual Status SyncClosedFiles() = 0;

  // Moves every `from` onto its `to`, all of them or none, so that files
  // that belong together never mix old and new content. A link at a `to` is
  // replaced, never followed; a folder there is never replaced. While it
  // works, the former content of a `to` waits under its `from` or under
  // SetAsideName(`from`) (see temporary_name.h), never elsewhere.
  // On success each `to` holds what its `from` held, and returns the names
  // under which the former contents of the `to`s now wait: the caller
  // removes them once the new contents are the ones to keep.
  // On failure returns 75 when a `to` is a folder, else the failure; each
  // `to` is as it was and each `from` still exists.
  virtual Result<std::vector<std::string>> ReplaceTogether(
      std::span<const Replacement> replacements) = 0;

  // Moves the file `from` onto `to` in one step, replacing what `to` held.
  // On success `from` is gone and `to` has its content. On failure both
  // names are as they were.
  virtual Status MoveOnto(const std::string& from, const std::string& to) = 0;

  // Moves the file `from` to `to`; an existing `to` is never touched. In
  // one step where the file system renames without replacing or links a
  // file twice; elsewhere (exFAT, SMB shares through FUSE) `to` is first
  // claimed as a new empty file and `from` then renamed onto it, so that a
  // crash between the two steps leaves an empty file at `to`.
  // On success `from` is gone and `to` has its content. On failure returns
  // 75 when `to` exists, else the failure; both names are as they were.
  virtual Status MoveWithoutReplacing(const std::string& from,
                                      const std::string& to) = 0;

  // Removes the file `name`. Never throws, so that destructors may call it.
  // On success it no longer exists. On failure (7 when out of memory) it
  // may still exist.
  virtual Status Remove(const std::string& name) = 0;

  // Makes the folder's names durable: what was created, moved or removed
  // here survives a crash.
  // On success it does. On failure returns the failure. A folder the
  // platform cannot sync (one that may be written but not read) counts as
  // synced.
  virtual Status SyncNames() = 0;
};

// What reading needs of the file system, and the way to the folders that
// are written.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Looks up `path`, following symbolic links. Opens nothing, so it never
  // blocks on a pipe or a device.
  // On success returns the kind, size and visibility of the file.
  // On failure returns 53 "File not found" when the path or any folder on it
  // does not exist (an empty path included), 52 for a path the platform
  // cannot name (a NUL byte), 70 when access is denied, else 75.
  virtual Result<FileStatus> Stat(const std::string& path) = 0;

  // Opens an existing regular file for reading; never creates one.
  // On success returns the open file.
  // On failure returns 53 when the file does not exist, 76 when its folder
  // does not exist, 52 for a path the platform cannot name, 70 when access
  // is denied, 75 when it is a folder or not a regular file.
  virtual Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& path) = 0;

  // Creates the folder `path`; its parent must exist.
  // On success the folder exists, new. On failure returns 75 when something
  // of that name exists already, 76 when the parent does not exist, 70 when
  // denied.
  virtual Status CreateFolder(const std::string& path) = 0;

  // Opens the existing folder `path` for work inside it, also one that may
  // be written but not read.
  // On success returns the folder. On failure returns 53 or 76 when it does
  // not exist, 75 when it is not a folder, 70 when access is denied.
  virtual Result<std::unique_ptr<Folder>> OpenFolder(
      const std::string& path) = 0;
};

// The file system of the host this program runs on.
FileSystem& HostFileSystem();

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_FILE_SYSTEM_H_
