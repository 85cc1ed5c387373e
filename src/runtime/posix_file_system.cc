// The host file system on POSIX systems: lookups and reads by path, and the
// folders that are written, opened once, every name in them relative to the
// folder's descriptor (openat, renameat2, fstatat, unlinkat).
#include "runtime/posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <utility>
#include <vector>

#include "runtime/buffered_writable_file.h"
#include "runtime/out_of_memory.h"
#include "runtime/path.h"
#include "runtime/replace_all_or_none.h"
#include "runtime/temporary_name.h"

namespace mirlot {

namespace {

bool HasNul(const std::string& path) {
  return path.find('\0') != std::string::npos;
}

bool ForeignOwner(const struct stat& info) {
  // Asked once: this process never changes the user it runs as.
  static const uid_t user = ::geteuid();
  return info.st_uid != user && info.st_uid != 0;
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
    struct stat info;
    const bool folder_exists =
        ::stat(ParentFolder(path).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
    return Status(folder_exists ? FailureCode::kFileNotFound
                                : FailureCode::kPathNotFound);
  }
  return LookupFailure(error);
}

// Maps errno after a failed read, write, sync, move or close.
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

// True when linkat failed because the file system makes no second link to
// a file (link(2)): none at all (EPERM, or EOPNOTSUPP and ENOSYS from FUSE
// and network file systems), none within this mount (EXDEV), or no more
// than the one there is (EMLINK).
bool RefusesLinks(int error) {
  return error == EPERM || error == ENOTSUP || error == ENOSYS ||
         error == EXDEV || error == EMLINK;
}

// Writes all of `data` at the file's end, however few bytes a call takes.
Status WriteAllTo(int fd, std::string_view data) {
  while (!data.empty()) {
    const ssize_t put = ::write(fd, data.data(), data.size());
    if (put < 0) {
      if (errno == EINTR) continue;
      return IoFailure(errno);
    }
    data.remove_prefix(static_cast<std::size_t>(put));
  }
  return Status::Ok();
}

class PosixReadableFile : public ReadableFile {
 public:
  // Owns `fd`, a regular file that held `size` bytes when opened.
  PosixReadableFile(int fd, std::uint64_t size) : fd_(fd), size_(size) {}
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

  Result<std::uint64_t> Size() override { return size_; }

 private:
  int fd_;
  std::uint64_t size_;
};

constexpr int kTemporaryNameAttempts = 100;
// Up to this many closed files are synced one by one; more in one pass.
constexpr std::size_t kFilesSyncedOneByOne = 4;
// From this size on, a closed file starts its write-back at once.
constexpr std::uint64_t kEarlyWriteBackSize = 256 * 1024;

// A new file of the folder. Made before its file, which Adopt() takes, so
// that nothing can throw between the file's creation and this owning it.
// Close() hands the descriptor to the folder, which syncs and closes it; a
// large file starts writing its data to the disk first.
class PosixWritableFile : public BufferedWritableFile {
 public:
  PosixWritableFile(int folder, std::vector<int>& closed)
      : folder_(folder), closed_(closed) {}
  ~PosixWritableFile() override {
    if (fd_ < 0) return;  // none created, or handed to the folder
    (void)::unlinkat(folder_, name().c_str(), 0);
    ::close(fd_);
  }

  // Owns `fd`, the file just created as `name` in the folder.
  void Adopt(int fd, std::string name) {
    fd_ = fd;
    Name(std::move(name));
  }

 private:
  Status Finish(bool written) override {
    if (!written) return Status::Ok();
    // The write-back of a large file overlaps the writing of the next ones;
    // small ones wait for the folder's sync and go out together, as many
    // small writes started one by one cost more than they save.
    if (size_ >= kEarlyWriteBackSize) {
      (void)::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
    }
    Status handed = OutOfMemoryAsFailure([this] {
      closed_.push_back(fd_);
      return Status::Ok();
    });
    if (handed.ok()) fd_ = -1;
    return handed;
  }

  Status WriteAll(std::string_view data) override {
    Status status = WriteAllTo(fd_, data);
    if (status.ok()) size_ += data.size();
    return status;
  }

  int folder_;  // the folder's descriptor
  std::vector<int>& closed_;
  int fd_ = -1;
  std::uint64_t size_ = 0;  // bytes written so far
};

// The folder's lock: flock on a descriptor of the folder of its own,
// released by the system when it closes, also when the process dies.
class PosixFolderLock : public FolderLock {
 public:
  explicit PosixFolderLock(int fd) : fd_(fd) {}
  // The stand-in, which holds nothing because of `why`.
  explicit PosixFolderLock(Status why) : fd_(-1), why_(std::move(why)) {}
  ~PosixFolderLock() override {
    if (fd_ >= 0) ::close(fd_);
  }
  bool held() const override { return fd_ >= 0; }
  Status why_not_held() const override { return why_; }

 private:
  int fd_;  // -1 for the stand-in
  Status why_;
};

// How one replacement was carried out, so that it can be undone.
enum class Replaced {
  kSwapped,           // `from` now holds the former content of `to`
  kMovedOntoNothing,  // `to` did not exist
  kSetAside,          // the former content of `to` waits under SetAsideName
};

enum class Occupant { kNothing, kFolder, kFile };

FileStatus StatusOf(const struct stat& info, const std::string& name) {
  FileStatus status;
  status.kind = S_ISREG(info.st_mode)   ? FileKind::kRegular
                : S_ISDIR(info.st_mode) ? FileKind::kDirectory
                                        : FileKind::kOther;
  status.size = static_cast<std::uint64_t>(info.st_size);
  status.hidden = LastComponent(name).starts_with('.');
  status.identity = {static_cast<std::uint64_t>(info.st_dev),
                     static_cast<std::uint64_t>(info.st_ino)};
  status.foreign_owner = ForeignOwner(info);
  return status;
}

// Takes an open descriptor of a regular file as a ReadableFile; closes any
// other.
Result<std::unique_ptr<ReadableFile>> ReadableIfRegular(int fd) {
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return FailureCode::kPathFileAccessError;
  }
  return std::unique_ptr<ReadableFile>(std::make_unique<PosixReadableFile>(
      fd, static_cast<std::uint64_t>(info.st_size)));
}

// The commit record while its writer lives: written straight to the file,
// and flock'ed from its creation until it is closed.
class PosixExclusiveFile : public ExclusiveFile {
 public:
  explicit PosixExclusiveFile(int fd) : fd_(fd) {}
  ~PosixExclusiveFile() override { ::close(fd_); }

  // Starts the write-back at once: a commit record is written just before
  // the files it names are synced, and its blocks then go out in the same
  // journal commit as theirs instead of one of its own.
  Status Append(std::string_view data) override {
    Status status = WriteAllTo(fd_, data);
    if (status.ok()) (void)::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
    return status;
  }

  Status Sync() override {
    if (::fdatasync(fd_) != 0) return IoFailure(errno);
    return Status::Ok();
  }

 private:
  int fd_;
};

class PosixLockableFile : public LockableFile {
 public:
  PosixLockableFile(int fd, const struct stat& info)
      : file_(fd, static_cast<std::uint64_t>(info.st_size)),
        fd_(fd),
        foreign_owner_(ForeignOwner(info)) {}

  ReadableFile& file() override { return file_; }
  bool foreign_owner() const override { return foreign_owner_; }

  Result<LockAttempt> TryLock() override {
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
      if (errno == EWOULDBLOCK || errno == EINTR) {
        return LockAttempt::kHeldElsewhere;
      }
      return IoFailure(errno);
    }
    // Its writer removes the record while holding the lock; one taken after
    // that removal belongs to a file that is no longer there.
    struct stat info;
    if (::fstat(fd_, &info) != 0) return IoFailure(errno);
    return info.st_nlink == 0 ? LockAttempt::kRemoved : LockAttempt::kTaken;
  }

 private:
  PosixReadableFile file_;  // owns `fd_`
  int fd_;
  bool foreign_owner_;
};

class PosixFolder : public Folder {
 public:
  PosixFolder(int fd, bool readable) : fd_(fd), readable_(readable) {}
  ~PosixFolder() override {
    for (int fd : closed_) ::close(fd);
    ::close(fd_);
  }

  std::unique_ptr<FolderLock> TryLock(LockKind kind) override {
    const int fd = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return std::make_unique<PosixFolderLock>(LookupFailure(errno));
    const int how = kind == LockKind::kShared ? LOCK_SH : LOCK_EX;
    if (::flock(fd, how | LOCK_NB) == 0) {
      return std::make_unique<PosixFolderLock>(fd);
    }
    const int error = errno;
    ::close(fd);
    if (error == EWOULDBLOCK || error == EINTR) return nullptr;
    return std::make_unique<PosixFolderLock>(IoFailure(error));
  }

  void RemoveStaleTemporaries(
      std::span<const std::string_view> final_names) override {
    const int fd = ::openat(fd_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = fd < 0 ? nullptr : ::fdopendir(fd);
    if (listing == nullptr) {
      if (fd >= 0) ::close(fd);
      return;
    }
    while (const dirent* entry = ::readdir(listing)) {
      if (IsTemporaryNameForAny(entry->d_name, final_names)) {
        RemoveIfUnowned(entry->d_name);
      }
    }
    ::closedir(listing);
  }

  Result<std::optional<FileStatus>> StatName(const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    struct stat info;
    if (::fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
      return std::optional<FileStatus>(StatusOf(info, name));
    }
    if (errno == ENOENT) return std::optional<FileStatus>();
    return LookupFailure(errno);
  }

  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    // Non-blocking for the reason FileSystem::OpenForRead gives.
    const int fd =
        ::openat(fd_, name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return LookupFailure(errno);
    return ReadableIfRegular(fd);
  }

  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name, const std::string& stem) override {
    if (!IsPlainName(final_name) || !IsPlainName(stem)) {
      return FailureCode::kBadFileNameOrNumber;
    }
    auto file = std::make_unique<PosixWritableFile>(fd_, closed_);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
      std::string name = TemporaryName(stem, RandomTemporarySuffix());
      const int fd =
          ::openat(fd_, name.c_str(),
                   O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
      if (fd >= 0) {
        file->Adopt(fd, std::move(name));
        ClaimAsOwner(fd);
        TakeOverAccess(fd, final_name);
        return std::unique_ptr<WritableFile>(std::move(file));
      }
      // Only a name that is taken is worth another try. Relative to a
      // folder handle, a missing folder cannot be told from a missing file.
      if (errno != EEXIST) return OpenFailure(errno, name);
    }
    return FailureCode::kPathFileAccessError;
  }

  Result<std::unique_ptr<ExclusiveFile>> CreateExclusive(
      const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    const int fd =
        ::openat(fd_, name.c_str(),
                 O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) {
      if (errno == EEXIST) return FailureCode::kPathFileAccessError;
      return OpenFailure(errno, name);
    }
    // Where the file system has no locks the record stays unlocked, and
    // only a run holding the folder's lock will act on it.
    (void)::flock(fd, LOCK_EX | LOCK_NB);
    return std::unique_ptr<ExclusiveFile>(
        std::make_unique<PosixExclusiveFile>(fd));
  }

  Result<std::unique_ptr<LockableFile>> OpenLockable(
      const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    const int fd = ::openat(fd_, name.c_str(),
                            O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) {
      // A link, or a name that names nothing readable as a file.
      if (errno == ELOOP) return FailureCode::kPathFileAccessError;
      return LookupFailure(errno);
    }
    struct stat info;
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
      ::close(fd);
      return FailureCode::kPathFileAccessError;
    }
    return std::unique_ptr<LockableFile>(
        std::make_unique<PosixLockableFile>(fd, info));
  }

  Status SyncClosedFiles() override {
    Status status;
    if (closed_.size() > kFilesSyncedOneByOne) {
      if (::syncfs(closed_.front()) != 0) status = IoFailure(errno);
    } else {
      for (int fd : closed_) {
        if (::fdatasync(fd) != 0 && status.ok()) status = IoFailure(errno);
      }
    }
    for (int fd : closed_) {
      if (::close(fd) != 0 && status.ok()) status = IoFailure(errno);
    }
    closed_.clear();
    return status;
  }

  Result<std::vector<std::string>> ReplaceTogether(
      std::span<const Replacement> replacements) override {
    for (const Replacement& r : replacements) {
      if (!IsPlainName(r.from) || !IsPlainName(r.to)) {
        return FailureCode::kBadFileNameOrNumber;
      }
    }
    return ReplaceAllOrNone<Replaced>(
        replacements, [this](const Replacement& r) { return ReplaceOne(r); },
        [this](const Replacement& r, Replaced how) { UndoOne(r, how); },
        [](const Replacement& r, Replaced how) -> std::optional<std::string> {
          if (how == Replaced::kSwapped) return r.from;
          if (how == Replaced::kSetAside) return SetAsideName(r.from);
          return std::nullopt;
        });
  }

  Status MoveOnto(const std::string& from, const std::string& to) override {
    if (!IsPlainName(from) || !IsPlainName(to)) {
      return Status(FailureCode::kBadFileNameOrNumber);
    }
    if (!Rename(from, to)) return IoFailure(errno);
    return Status::Ok();
  }

  Status MoveWithoutReplacing(const std::string& from,
                              const std::string& to) override {
    if (!IsPlainName(from) || !IsPlainName(to)) {
      return Status(FailureCode::kBadFileNameOrNumber);
    }
    if (::renameat2(fd_, from.c_str(), fd_, to.c_str(), RENAME_NOREPLACE) ==
        0) {
      return Status::Ok();
    }
    if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) {
      return IoFailure(errno);  // EEXIST among them: 75
    }
    // No such rename on this file system: a new link never replaces either.
    if (::linkat(fd_, from.c_str(), fd_, to.c_str(), 0) == 0) {
      (void)::unlinkat(fd_, from.c_str(), 0);
      return Status::Ok();
    }
    if (!RefusesLinks(errno)) return IoFailure(errno);  // EEXIST: 75
    return MoveOntoClaimedName(from, to);
  }

  Status Remove(const std::string& name) override {
    if (!IsPlainName(name)) {
      return OutOfMemoryAsFailure(
          [] { return Status(FailureCode::kBadFileNameOrNumber); });
    }
    if (::unlinkat(fd_, name.c_str(), 0) == 0) return Status::Ok();
    const int error = errno;
    return OutOfMemoryAsFailure([error] { return LookupFailure(error); });
  }

  Status SyncNames() override {
    if (readable_ && ::fsync(fd_) != 0) return IoFailure(errno);
    return Status::Ok();
  }

 private:
  // Marks a new temporary file as owned by this process for as long as it
  // is open: RemoveStaleTemporaries leaves locked files alone. A file system
  // without locks makes this a no-op, which only matters without the
  // folder's lock too.
  static void ClaimAsOwner(int fd) { (void)::flock(fd, LOCK_EX | LOCK_NB); }

  // Gives the new file `fd` the mode, owner and group of the regular file
  // `final_name` it will replace, so that replacing an output keeps who may
  // read it; the owner and group only as far as this process may set them.
  // Done before any data is written, so that the data is never readable
  // by more users than the earlier file's.
  void TakeOverAccess(int fd, const std::string& final_name) {
    struct stat earlier;
    if (::fstatat(fd_, final_name.c_str(), &earlier, AT_SYMLINK_NOFOLLOW) !=
            0 ||
        !S_ISREG(earlier.st_mode)) {
      return;
    }
    // The group alone when the owner cannot be given; failing both leaves
    // the file the user's own, which loses nothing.
    const bool given =
        ::fchown(fd, earlier.st_uid, earlier.st_gid) == 0 ||
        ::fchown(fd, static_cast<uid_t>(-1), earlier.st_gid) == 0;
    static_cast<void>(given);
    (void)::fchmod(fd, earlier.st_mode & 07777);
  }

  // Removes the entry `name` when it is a regular file that no process
  // holds locked, that is, no live run owns.
  void RemoveIfUnowned(const char* name) {
    const int fd =
        ::openat(fd_, name, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return;
    struct stat info;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
        ::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      (void)::unlinkat(fd_, name, 0);
    }
    ::close(fd);
  }

  // Claims `to` with a new empty file, which fails with 75 when the name
  // exists, then renames `from` onto it. Should the rename fail, the empty
  // file goes again, unless another has taken its place meanwhile.
  Status MoveOntoClaimedName(const std::string& from, const std::string& to) {
    const int fd =
        ::openat(fd_, to.c_str(),
                 O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return IoFailure(errno);
    struct stat claimed;
    const bool known = ::fstat(fd, &claimed) == 0;
    ::close(fd);
    if (Rename(from, to)) return Status::Ok();
    const Status failure = IoFailure(errno);
    struct stat now;
    if (known && ::fstatat(fd_, to.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
        now.st_dev == claimed.st_dev && now.st_ino == claimed.st_ino &&
        now.st_size == 0) {
      (void)::unlinkat(fd_, to.c_str(), 0);
    }
    return failure;
  }

  Occupant WhatIsAt(const std::string& name) {
    struct stat info;
    if (::fstatat(fd_, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
      return Occupant::kNothing;
    }
    return S_ISDIR(info.st_mode) ? Occupant::kFolder : Occupant::kFile;
  }

  // Swaps the two names atomically; false where the file system cannot.
  bool Swap(const std::string& a, const std::string& b, int& error) {
    if (::renameat2(fd_, a.c_str(), fd_, b.c_str(), RENAME_EXCHANGE) == 0) {
      return true;
    }
    error = errno;
    return false;
  }

  bool Rename(const std::string& from, const std::string& to) {
    return ::renameat(fd_, from.c_str(), fd_, to.c_str()) == 0;
  }

  Result<Replaced> ReplaceOne(const Replacement& r) {
    const Occupant occupant = WhatIsAt(r.to);
    // A file never replaces a folder (a swap would allow it; a rename not).
    if (occupant == Occupant::kFolder) return FailureCode::kPathFileAccessError;
    if (occupant == Occupant::kNothing) {
      if (!Rename(r.from, r.to)) return IoFailure(errno);
      return Replaced::kMovedOntoNothing;
    }
    int error = 0;
    if (Swap(r.from, r.to, error)) return Replaced::kSwapped;
    if (error != EINVAL && error != ENOSYS && error != ENOTSUP) {
      return IoFailure(error);
    }
    // No atomic swap here: move the former file aside first, so that it can
    // be put back, then move the new one in.
    const std::string aside = SetAsideName(r.from);
    if (!Rename(r.to, aside)) return IoFailure(errno);
    if (!Rename(r.from, r.to)) {
      const Status failure = IoFailure(errno);
      (void)Rename(aside, r.to);
      return failure;
    }
    return Replaced::kSetAside;
  }

  void UndoOne(const Replacement& r, Replaced how) {
    int error = 0;
    switch (how) {
      case Replaced::kSwapped:
        (void)Swap(r.from, r.to, error);
        break;
      case Replaced::kMovedOntoNothing:
        (void)Rename(r.to, r.from);
        break;
      case Replaced::kSetAside:
        (void)Rename(r.to, r.from);
        (void)Rename(SetAsideName(r.from), r.to);
        break;
    }
  }

  int fd_;
  bool readable_;
  std::vector<int> closed_;  // closed files, synced by SyncClosedFiles
};

bool Exists(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0;
}

}  // namespace

PosixFileSystem::PosixFileSystem() { std::signal(SIGXFSZ, SIG_IGN); }

Result<FileStatus> PosixFileSystem::Stat(const std::string& path) {
  if (HasNul(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return FailureCode::kFileNotFound;
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return LookupFailure(errno);
  return StatusOf(info, path);
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
  return ReadableIfRegular(fd);
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

Result<std::unique_ptr<Folder>> PosixFileSystem::OpenFolder(
    const std::string& path) {
  if (HasNul(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return FailureCode::kFileNotFound;
  const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0)
    return std::unique_ptr<Folder>(std::make_unique<PosixFolder>(fd, true));
  if (errno == EACCES) {
    // May be written but not read: by its path alone.
    const int by_path = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (by_path >= 0)
      return std::unique_ptr<Folder>(
          std::make_unique<PosixFolder>(by_path, false));
    errno = EACCES;
  }
  if (errno == ENOTDIR && Exists(path))
    return FailureCode::kPathFileAccessError;
  return OpenFailure(errno, path);
}

FileSystem& HostFileSystem() {
  static PosixFileSystem file_system;
  return file_system;
}

}  // namespace mirlot
