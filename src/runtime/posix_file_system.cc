#include "runtime/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <set>
#include <vector>

#include "runtime/buffered_writable_file.h"
#include "runtime/path.h"
#include "runtime/replace_all_or_none.h"
#include "runtime/temporary_name.h"

namespace mirlot {

namespace {

constexpr int kTemporaryNameAttempts = 100;

bool HasNul(const std::string& path) {
  return path.find('\0') != std::string::npos;
}

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

bool FolderExists(const std::string& path) {
  struct stat info;
  return ::stat(ParentFolder(path).c_str(), &info) == 0 &&
         S_ISDIR(info.st_mode);
}

// Maps errno after a failed lookup: any missing part means "not found".
Status LookupFailure(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR:
      return Status(FailureCode::kFileNotFound);
    case EACCES:
    case EPERM:
      return Status(FailureCode::kPermissionDenied);
    case ENAMETOOLONG:
      return Status(FailureCode::kBadFileNameOrNumber);
    case ENOSPC:
    case EDQUOT:
      return Status(FailureCode::kDiskFull);
    default:
      return Status(FailureCode::kPathFileAccessError);
  }
}

// Maps errno after a failed open or create of `path`, telling a missing file
// from a missing folder.
Status OpenFailure(int error, const std::string& path) {
  if (error == ENOENT || error == ENOTDIR) {
    return Status(FolderExists(path) ? FailureCode::kFileNotFound
                                     : FailureCode::kPathNotFound);
  }
  return LookupFailure(error);
}

// Maps errno after a failed read, write or close.
Status IoFailure(int error) {
  switch (error) {
    case ENOSPC:
    case EDQUOT:
    case EFBIG:  // the file-size limit: no room for this file to grow
      return Status(FailureCode::kDiskFull);
    case EACCES:
    case EPERM:
      return Status(FailureCode::kPermissionDenied);
    default:
      return Status(FailureCode::kPathFileAccessError);
  }
}

class PosixReadableFile : public ReadableFile {
 public:
  explicit PosixReadableFile(int fd) : fd_(fd) {}
  ~PosixReadableFile() override { ::close(fd_); }

  Result<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                             std::size_t length) override {
    for (;;) {
      const ssize_t got =
          ::pread(fd_, buffer, length, static_cast<off_t>(offset));
      if (got >= 0) return static_cast<std::size_t>(got);
      if (errno == EAGAIN || errno == EWOULDBLOCK) {
        // Opened non-blocking (see OpenForRead); should reads of a regular
        // file ever honour that, block from now on instead.
        if (::fcntl(fd_, F_SETFL, 0) != 0) return IoFailure(errno);
        continue;
      }
      if (errno != EINTR) return IoFailure(errno);
    }
  }

  Result<std::uint64_t> Size() override {
    struct stat info;
    if (::fstat(fd_, &info) != 0) return IoFailure(errno);
    return static_cast<std::uint64_t>(info.st_size);
  }

 private:
  int fd_;
};

class PosixWritableFile : public BufferedWritableFile {
 public:
  PosixWritableFile(int fd, std::string path)
      : BufferedWritableFile(std::move(path)), fd_(fd) {}
  ~PosixWritableFile() override {
    if (fd_ >= 0) ::close(fd_);
  }

 private:
  Status SyncAndClose(bool sync) override {
    Status status;
    // The data must be on the disk before the file is renamed over an
    // earlier one, or a crash soon after could leave an empty or partial
    // file under the final name. For a large image this wait is most of the
    // run: it lasts as long as the disk takes to write the image (README,
    // Performance).
    if (sync && ::fdatasync(fd_) != 0) status = IoFailure(errno);
    if (::close(fd_) != 0 && status.ok()) status = IoFailure(errno);
    fd_ = -1;
    return status;
  }

  Status WriteAll(std::string_view data) override {
    while (!data.empty()) {
      const ssize_t put = ::write(fd_, data.data(), data.size());
      if (put < 0) {
        if (errno == EINTR) continue;
        return IoFailure(errno);
      }
      data.remove_prefix(static_cast<std::size_t>(put));
    }
    return Status::Ok();
  }

  int fd_;
};

// Marks a new temporary file as owned by this process for as long as it is
// open: RemoveStaleTemporaries leaves locked files alone. A file system
// without locks makes this a no-op, which only matters without the folder's
// commit lock too.
void ClaimAsOwner(int fd) { (void)::flock(fd, LOCK_EX | LOCK_NB); }

// Creates `name` in the folder `folder_fd` (or AT_FDCWD) as a new temporary
// file, never following or replacing anything there.
Result<int> CreateTemporaryAt(int folder_fd, const std::string& name) {
  const int fd =
      ::openat(folder_fd, name.c_str(),
               O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  // Relative to a folder handle, a missing folder cannot be told from a
  // missing file; for a path it can (76 against 53).
  if (fd < 0) return OpenFailure(errno, name);
  ClaimAsOwner(fd);
  return fd;
}

// Tries fresh names for a file that will become `final_name` in the folder
// `folder_fd`; `path_of` gives the path to report for a name.
template <typename PathOf>
Result<std::unique_ptr<WritableFile>> CreateUniqueTemporary(
    int folder_fd, const std::string& final_name, PathOf path_of) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    const std::string path =
        path_of(TemporaryName(final_name, RandomTemporarySuffix()));
    Result<int> fd = CreateTemporaryAt(folder_fd, path);
    if (fd.ok()) {
      return std::unique_ptr<WritableFile>(
          std::make_unique<PosixWritableFile>(*fd, path));
    }
    // Only a name that is taken is worth another try.
    struct stat info;
    if (::fstatat(folder_fd, path.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      return fd.status();
    }
  }
  return FailureCode::kPathFileAccessError;
}

Result<std::unique_ptr<WritableFile>> CreateExclusive(const std::string& path) {
  if (HasNul(path)) return FailureCode::kBadFileNameOrNumber;
  const int fd = ::open(
      path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0) {
    if (errno == EEXIST) return FailureCode::kPathFileAccessError;
    return OpenFailure(errno, path);
  }
  return std::unique_ptr<WritableFile>(
      std::make_unique<PosixWritableFile>(fd, path));
}

}  // namespace

PosixFileSystem::PosixFileSystem() { std::signal(SIGXFSZ, SIG_IGN); }

Result<FileStatus> PosixFileSystem::Stat(const std::string& path) {
  if (HasNul(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return FailureCode::kFileNotFound;
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return LookupFailure(errno);
  FileStatus status;
  status.kind = S_ISREG(info.st_mode)   ? FileKind::kRegular
                : S_ISDIR(info.st_mode) ? FileKind::kDirectory
                                        : FileKind::kOther;
  status.size = static_cast<std::uint64_t>(info.st_size);
  status.hidden = LastComponent(path).starts_with('.');
  status.identity = {static_cast<std::uint64_t>(info.st_dev),
                     static_cast<std::uint64_t>(info.st_ino)};
  return status;
}

Result<bool> PosixFileSystem::NameTaken(const std::string& path) {
  if (HasNul(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return false;
  struct stat info;
  if (::lstat(path.c_str(), &info) == 0) return true;
  if (errno == ENOENT || errno == ENOTDIR) return false;
  return LookupFailure(errno);
}

Result<std::unique_ptr<ReadableFile>> PosixFileSystem::OpenForRead(
    const std::string& path) {
  if (HasNul(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return FailureCode::kFileNotFound;
  // O_NONBLOCK keeps a pipe put in the file's place from blocking the open;
  // such a file is refused right after. The flag stays: reads of regular
  // files ignore it, and clearing it would cost two calls per member, which
  // shows with many small members.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return OpenFailure(errno, path);
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return FailureCode::kPathFileAccessError;
  }
  return std::unique_ptr<ReadableFile>(std::make_unique<PosixReadableFile>(fd));
}

Result<std::unique_ptr<WritableFile>> PosixFileSystem::CreateTemporary(
    const std::string& folder, const std::string& final_name) {
  if (HasNul(folder)) return FailureCode::kBadFileNameOrNumber;
  return CreateUniqueTemporary(
      AT_FDCWD, final_name,
      [&folder](const std::string& name) { return ResolveIn(folder, name); });
}

Status PosixFileSystem::Rename(const std::string& from, const std::string& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) return IoFailure(errno);
  return Status::Ok();
}

namespace {

// How one replacement was carried out, so that it can be undone.
enum class Replaced {
  kSwapped,           // `from` now holds the former content of `to`
  kMovedOntoNothing,  // `to` did not exist
  kSetAside,          // the former content of `to` waits under SetAsideName
};

// Where the former content of `to` waits while it is replaced on a file
// system that cannot swap two names.
std::string SetAsideName(const Replacement& r) { return r.from + "-old"; }

enum class Occupant { kNothing, kFolder, kFile };

Occupant WhatIsAt(const std::string& path) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return Occupant::kNothing;
  return S_ISDIR(info.st_mode) ? Occupant::kFolder : Occupant::kFile;
}

// Swaps the two names atomically; false where the file system cannot.
bool Swap(const std::string& a, const std::string& b, int& error) {
  if (::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) ==
      0) {
    return true;
  }
  error = errno;
  return false;
}

Result<Replaced> ReplaceOne(const Replacement& r) {
  const Occupant occupant = WhatIsAt(r.to);
  // A file never replaces a folder (a swap would allow it; a rename not).
  if (occupant == Occupant::kFolder) return FailureCode::kPathFileAccessError;
  if (occupant == Occupant::kNothing) {
    if (::rename(r.from.c_str(), r.to.c_str()) != 0) return IoFailure(errno);
    return Replaced::kMovedOntoNothing;
  }
  int error = 0;
  if (Swap(r.from, r.to, error)) return Replaced::kSwapped;
  if (error != EINVAL && error != ENOSYS && error != ENOTSUP) {
    return IoFailure(error);
  }
  // No atomic swap here: move the former file aside first, so that it can
  // be put back, then move the new one in.
  const std::string aside = SetAsideName(r);
  if (::rename(r.to.c_str(), aside.c_str()) != 0) return IoFailure(errno);
  if (::rename(r.from.c_str(), r.to.c_str()) != 0) {
    const Status failure = IoFailure(errno);
    (void)::rename(aside.c_str(), r.to.c_str());
    return failure;
  }
  return Replaced::kSetAside;
}

// Writes a folder's entries to disk, so that a rename survives a crash. The
// files are complete already; a folder that cannot be synced is left as the
// system keeps it.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  (void)::fsync(fd);
  ::close(fd);
}

void UndoOne(const Replacement& r, Replaced how) {
  int error = 0;
  switch (how) {
    case Replaced::kSwapped:
      (void)Swap(r.from, r.to, error);
      break;
    case Replaced::kMovedOntoNothing:
      (void)::rename(r.to.c_str(), r.from.c_str());
      break;
    case Replaced::kSetAside:
      (void)::rename(r.to.c_str(), r.from.c_str());
      (void)::rename(SetAsideName(r).c_str(), r.to.c_str());
      break;
  }
}

}  // namespace

Status PosixFileSystem::ReplaceTogether(
    std::span<const Replacement> replacements) {
  Result<std::vector<Replaced>> replaced =
      ReplaceAllOrNone<Replaced>(replacements, ReplaceOne, UndoOne);
  if (!replaced.ok()) return replaced.status();
  const std::vector<Replaced>& done = *replaced;
  // The former contents are no longer needed.
  for (std::size_t i = 0; i < done.size(); ++i) {
    if (done[i] == Replaced::kSwapped) {
      (void)::unlink(replacements[i].from.c_str());
    } else if (done[i] == Replaced::kSetAside) {
      (void)::unlink(SetAsideName(replacements[i]).c_str());
    }
  }
  // The new names are durable only once their folders are.
  std::set<std::string> folders;
  for (const Replacement& r : replacements) folders.insert(ParentFolder(r.to));
  for (const std::string& folder : folders) SyncFolder(folder);
  return Status::Ok();
}

Status PosixFileSystem::Remove(const std::string& path) {
  if (::unlink(path.c_str()) != 0) return LookupFailure(errno);
  return Status::Ok();
}

Status PosixFileSystem::CreateFolder(const std::string& path) {
  if (HasNul(path)) return Status(FailureCode::kBadFileNameOrNumber);
  if (::mkdir(path.c_str(), 0777) == 0) return Status::Ok();
  if (errno == EEXIST) return Status(FailureCode::kPathFileAccessError);
  if (errno == ENOENT || errno == ENOTDIR) {
    return Status(FailureCode::kPathNotFound);
  }
  return LookupFailure(errno);
}

Result<std::unique_ptr<WritableFile>> PosixFileSystem::CreateNew(
    const std::string& path) {
  return CreateExclusive(path);
}

namespace {

// The folder's commit lock: flock on the folder itself, so that nothing is
// created in it; released by the system when the descriptor closes, also
// when the process dies.
class PosixFolderLock : public FolderLock {
 public:
  explicit PosixFolderLock(int fd) : fd_(fd) {}
  ~PosixFolderLock() override {
    if (fd_ >= 0) ::close(fd_);
  }
  bool held() const override { return fd_ >= 0; }

 private:
  int fd_;  // -1 for the stand-in
};

class PosixFolder : public Folder {
 public:
  explicit PosixFolder(int fd) : fd_(fd) {}
  ~PosixFolder() override { ::close(fd_); }

  Result<bool> NameTaken(const std::string& name) override {
    if (HasNul(name)) return FailureCode::kBadFileNameOrNumber;
    struct stat info;
    if (::fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
      return true;
    }
    if (errno == ENOENT) return false;
    return LookupFailure(errno);
  }

  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name) override {
    return CreateUniqueTemporary(fd_, final_name,
                                 [](const std::string& name) { return name; });
  }

  Status MoveIntoPlace(const std::string& from, const std::string& to,
                       bool replace) override {
    if (HasNul(from) || HasNul(to)) {
      return Status(FailureCode::kBadFileNameOrNumber);
    }
    if (replace) {
      if (::renameat(fd_, from.c_str(), fd_, to.c_str()) != 0) {
        return IoFailure(errno);
      }
      return Status::Ok();
    }
    if (::renameat2(fd_, from.c_str(), fd_, to.c_str(), RENAME_NOREPLACE) ==
        0) {
      return Status::Ok();
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
      return IoFailure(errno);  // EEXIST among them: 75
    }
    // No such rename on this file system: a new link never replaces either.
    if (::linkat(fd_, from.c_str(), fd_, to.c_str(), 0) != 0) {
      return IoFailure(errno);
    }
    (void)::unlinkat(fd_, from.c_str(), 0);
    return Status::Ok();
  }

  Status Remove(const std::string& name) override {
    if (::unlinkat(fd_, name.c_str(), 0) != 0) return LookupFailure(errno);
    return Status::Ok();
  }

 private:
  int fd_;
};

// Removes the entry `name` of the folder `folder_fd` when it is a regular
// file that no process holds locked, that is, no live run owns.
void RemoveIfUnowned(int folder_fd, const char* name) {
  const int fd =
      ::openat(folder_fd, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return;
  struct stat info;
  if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
      ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    (void)::unlinkat(folder_fd, name, 0);
  }
  ::close(fd);
}

}  // namespace

std::unique_ptr<FolderLock> PosixFileSystem::TryLockFolder(
    const std::string& folder) {
  const int fd = HasNul(folder) ? -1
                                : ::open(folder.c_str(),
                                         O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return std::make_unique<PosixFolderLock>(-1);
  if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
    return std::make_unique<PosixFolderLock>(fd);
  }
  const int error = errno;
  ::close(fd);
  if (error == EWOULDBLOCK || error == EINTR) return nullptr;
  return std::make_unique<PosixFolderLock>(-1);
}

void PosixFileSystem::RemoveStaleTemporaries(const std::string& folder,
                                             const std::string& final_name) {
  if (HasNul(folder)) return;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  DIR* listing = ::fdopendir(::dup(fd));
  if (listing != nullptr) {
    while (const dirent* entry = ::readdir(listing)) {
      if (IsTemporaryNameFor(entry->d_name, final_name)) {
        RemoveIfUnowned(fd, entry->d_name);
      }
    }
    ::closedir(listing);
  }
  ::close(fd);
}

Result<std::unique_ptr<Folder>> PosixFileSystem::OpenFolder(
    const std::string& path) {
  if (HasNul(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return FailureCode::kFileNotFound;
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0)
    return std::unique_ptr<Folder>(std::make_unique<PosixFolder>(fd));
  if (errno == ENOTDIR && Exists(path))
    return FailureCode::kPathFileAccessError;
  return OpenFailure(errno, path);
}

FileSystem& HostFileSystem() {
  static PosixFileSystem file_system;
  return file_system;
}

}  // namespace mirlot
