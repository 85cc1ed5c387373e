// The file services the packing run and the image reader use. One real
// implementation talks to the host; tests substitute an in-memory one.
#ifndef MIRLOT_RUNTIME_FILE_SYSTEM_H_
#define MIRLOT_RUNTIME_FILE_SYSTEM_H_

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <string_view>

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

  // On success returns the file's current size in bytes.
  // On failure returns the failure.
  virtual Result<std::uint64_t> Size() = 0;
};

// A new file being written from its start. Data may be held in memory until
// Close(); nothing is guaranteed on disk before Close() succeeds.
class WritableFile {
 public:
  virtual ~WritableFile() = default;

  // Appends `data` at the end of what was written so far.
  // On success all of `data` is accepted. On failure the file's content past
  // the last successful Append is unspecified.
  virtual Status Append(std::string_view data) = 0;

  // Writes out everything appended, makes it durable and closes the file.
  // On success the whole content is on disk. On failure the content is
  // unspecified; the file is closed either way and takes no more calls.
  virtual Status Close() = 0;

  // The path under which the file was created; for a file created through
  // a Folder, its name in that folder.
  virtual const std::string& path() const = 0;
};

// The commit lock of one folder: while a run holds it, no other run moves
// outputs into that folder or removes temporary files there. The operating
// system releases it when the holder dies, and it leaves nothing behind in
// the folder.
class FolderLock {
 public:
  virtual ~FolderLock() = default;

  // False for a stand-in taken where the platform cannot lock the folder
  // (for example a folder that cannot be opened for reading): the holder
  // then goes on unprotected and must not remove other runs' files.
  virtual bool held() const = 0;
};

// A folder opened once. Names are looked up relative to the open folder, not
// to its path, so that a folder renamed or replaced by a link meanwhile
// cannot redirect them. Names are plain file names, without separators.
class Folder {
 public:
  virtual ~Folder() = default;

  // Tells whether anything has the name `name` in the folder, without
  // following a final symbolic link.
  // On success returns true when something is there. On failure returns the
  // failure, as FileSystem::Stat does.
  virtual Result<bool> NameTaken(const std::string& name) = 0;

  // Creates a new, empty file with a unique name in the folder, for a file
  // that will be moved to `final_name` there.
  // On success returns the file; its path() is its name in the folder. On
  // failure returns 70 when the folder cannot be written, 61 when it is
  // full, else 75; nothing was created.
  virtual Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name) = 0;

  // Moves the file `from` to `to`, both names in the folder, in one step.
  // With `replace`, whatever file has the name `to` is replaced (a link
  // there is replaced, never followed); without it, an existing `to` is
  // never touched.
  // On success `from` is gone and `to` has its content. On failure returns
  // 75 when `to` exists and may not be replaced or is a folder, else the
  // failure; both names are as they were.
  virtual Status MoveIntoPlace(const std::string& from, const std::string& to,
                               bool replace) = 0;

  // Removes the file `name`.
  // On success it no longer exists. On failure it may still exist.
  virtual Status Remove(const std::string& name) = 0;
};

// One file to be moved onto another name in the same folder.
struct Replacement {
  std::string from;
  std::string to;
};

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

  // Tells whether anything has the name `path`, without following a final
  // symbolic link: a link that points nowhere exists too.
  // On success returns true when something is there, false when nothing is.
  // On failure (denied lookup, a path the platform cannot name) returns the
  // failure, as Stat does.
  virtual Result<bool> NameTaken(const std::string& path) = 0;

  // Opens an existing regular file for reading; never creates one.
  // On success returns the open file.
  // On failure returns 53 when the file does not exist, 76 when its folder
  // does not exist, 52 for a path the platform cannot name, 70 when access
  // is denied, 75 when it is a folder or not a regular file.
  virtual Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& path) = 0;

  // Creates a new, empty file with a unique name in `folder`, for a file
  // that will later be renamed to `final_name` in the same folder.
  // On success returns the file, whose path() names it.
  // On failure returns 76 when the folder does not exist, 70 when it cannot
  // be written, else 75; nothing was created.
  virtual Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& folder, const std::string& final_name) = 0;

  // Atomically replaces `to` with `from` (both in one folder).
  // On success `from` no longer exists and `to` has its content.
  // On failure both are as they were.
  virtual Status Rename(const std::string& from, const std::string& to) = 0;

  // Moves every `from` onto its `to`, all of them or none, so that files that
  // belong together never mix old and new content.
  // On success each `to` holds what its `from` held; the `from` names and the
  // former content of the `to` names are gone.
  // On failure each `to` is as it was and each `from` still exists. (Where
  // the platform cannot swap two files atomically, a `to` replaced before the
  // failing one stays replaced.)
  virtual Status ReplaceTogether(std::span<const Replacement> replacements) = 0;

  // Removes the file `path`.
  // On success the file no longer exists. On failure it may still exist.
  virtual Status Remove(const std::string& path) = 0;

  // Creates the folder `path`; its parent must exist.
  // On success the folder exists, new. On failure returns 75 when something
  // of that name exists already, 76 when the parent does not exist, 70 when
  // denied.
  virtual Status CreateFolder(const std::string& path) = 0;

  // Creates `path` as a new file that did not exist before, never replacing
  // or following anything already there.
  // On success returns the file. On failure returns 75 when the name exists
  // already, 76 when the folder does not, 70 when denied.
  virtual Result<std::unique_ptr<WritableFile>> CreateNew(
      const std::string& path) = 0;

  // Takes the commit lock of the existing folder `folder` if no other
  // process holds it; never waits.
  // Returns the lock, held; a stand-in that holds nothing (held() false)
  // when the platform cannot lock this folder; nullptr when another process
  // holds the lock (try again later). Cannot fail otherwise.
  virtual std::unique_ptr<FolderLock> TryLockFolder(
      const std::string& folder) = 0;

  // Removes from `folder` the files that CreateTemporary made there for
  // `final_name` and that no process has open any more: left by a run that
  // was killed or lost its power. Call only while holding the folder's
  // lock. Nothing else is touched, files set aside while a replacement was
  // undone included. Cannot fail: a file that cannot be removed stays.
  virtual void RemoveStaleTemporaries(const std::string& folder,
                                      const std::string& final_name) = 0;

  // Opens the existing folder `path` for work inside it.
  // On success returns the folder. On failure returns 53 or 76 when it does
  // not exist, 75 when it is not a folder, 70 when access is denied.
  virtual Result<std::unique_ptr<Folder>> OpenFolder(
      const std::string& path) = 0;
};

// The file system of the host this program runs on.
FileSystem& HostFileSystem();

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_FILE_SYSTEM_H_
