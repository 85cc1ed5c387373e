// The host file system on Windows: lookups and reads by path, and the
// folders that are written, held open while names in them are resolved
// through the path the system gives for the held folder, so that a link or
// junction swapped in the path given cannot send them elsewhere. Windows
// cannot swap two names in one step, so a folder's ReplaceTogether moves
// each earlier file aside while its successor moves in, and puts
// everything back when a later step fails.
#include "runtime/windows_file_system.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "runtime/buffered_writable_file.h"
#include "runtime/out_of_memory.h"
#include "runtime/path.h"
#include "runtime/replace_all_or_none.h"
#include "runtime/reserved_names.h"
#include "runtime/temporary_name.h"
#include "runtime/windows_error.h"
#include "runtime/windows_path.h"
#include "runtime/windows_text.h"

namespace mirlot {

namespace {

constexpr DWORD kLargestTransfer = 1u << 30;
constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

bool IsFolder(const std::string& path) {
  const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Writes all of `data` at the file's end, in pieces Windows takes.
Status WriteAllTo(HANDLE handle, std::string_view data) {
  while (!data.empty()) {
    DWORD put = 0;
    const DWORD want = static_cast<DWORD>(
        std::min<std::size_t>(data.size(), kLargestTransfer));
    if (!::WriteFile(handle, data.data(), want, &put, nullptr)) {
      return LastWin32Failure();
    }
    data.remove_prefix(put);
  }
  return Status::Ok();
}

class WindowsReadableFile : public ReadableFile {
 public:
  // Owns `handle`, a file on a disk that held `size` bytes when opened.
  WindowsReadableFile(HANDLE handle, std::uint64_t size)
      : handle_(handle), size_(size) {}
  ~WindowsReadableFile() override { ::CloseHandle(handle_); }

  Result<std::size_t> ReadAt(std::uint64_t offset, char* buffer,
                             std::size_t length) override {
    OVERLAPPED at = {};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD want =
        static_cast<DWORD>(std::min<std::size_t>(length, kLargestTransfer));
    if (!::ReadFile(handle_, buffer, want, &got, &at)) {
      if (::GetLastError() == ERROR_HANDLE_EOF) return std::size_t{0};
      return LastWin32Failure();
    }
    return static_cast<std::size_t>(got);
  }

  Result<std::uint64_t> Size() override { return size_; }

 private:
  HANDLE handle_;
  std::uint64_t size_;
};

// The identity of the file `system_path` names, following links; zero when
// it cannot be opened even without access.
FileIdentity IdentityOf(const std::wstring& system_path) {
  const HANDLE handle =
      ::CreateFileW(system_path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  BY_HANDLE_FILE_INFORMATION info;
  FileIdentity identity;
  if (::GetFileInformationByHandle(handle, &info)) {
    identity = {
        info.dwVolumeSerialNumber,
        (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow};
  }
  ::CloseHandle(handle);
  return identity;
}

constexpr int kTemporaryNameAttempts = 100;
constexpr DWORD kMoveFlags = MOVEFILE_WRITE_THROUGH;

// What a replaced output keeps of the earlier file's attributes.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A file closed by its writer and not yet flushed: its name, where the
// system finds it (kept so that removing it needs no memory) and its handle.
struct ClosedFile {
  std::string name;
  std::wstring path;
  HANDLE handle;
};
using ClosedFiles = std::vector<ClosedFile>;

// A new file of the folder, open without delete sharing, so that
// RemoveStaleTemporaries cannot delete it while its run holds it. Made
// before its file, which Adopt() takes, so that nothing can throw between
// the file's creation and this owning it. Close() hands the handle to the
// folder, which flushes and closes it.
class WindowsWritableFile : public BufferedWritableFile {
 public:
  explicit WindowsWritableFile(ClosedFiles& closed) : closed_(closed) {}
  ~WindowsWritableFile() override {
    if (handle_ == INVALID_HANDLE_VALUE) return;  // none, or handed over
    ::CloseHandle(handle_);
    (void)::DeleteFileW(path_.c_str());
  }

  // Owns `handle`, the file just created as `name`, found at `path`.
  void Adopt(HANDLE handle, std::string name, std::wstring path) {
    handle_ = handle;
    Name(std::move(name));
    path_ = std::move(path);
  }

 private:
  Status Finish(bool written) override {
    if (!written) return Status::Ok();
    Status handed = OutOfMemoryAsFailure([this] {
      closed_.push_back({name(), path_, handle_});
      return Status::Ok();
    });
    if (handed.ok()) handle_ = INVALID_HANDLE_VALUE;
    return handed;
  }

  Status WriteAll(std::string_view data) override {
    return WriteAllTo(handle_, data);
  }

  ClosedFiles& closed_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
};

// The folder's lock: a byte-range lock (LockFileEx) on the hidden, empty
// lock file, which every run opens with full sharing. Only the run that
// creates the file has it deleted when closed, also by the system when the
// process dies; a run that finds it there leaves it, and so a file that a
// power cut left stays and is locked as usual.
class WindowsFolderLock : public FolderLock {
 public:
  explicit WindowsFolderLock(HANDLE handle) : handle_(handle) {}
  // The stand-in, which holds nothing because of `why`.
  explicit WindowsFolderLock(Status why)
      : handle_(INVALID_HANDLE_VALUE), why_(std::move(why)) {}
  ~WindowsFolderLock() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  bool held() const override { return handle_ != INVALID_HANDLE_VALUE; }
  Status why_not_held() const override { return why_; }

 private:
  HANDLE handle_;  // INVALID_HANDLE_VALUE for the stand-in
  Status why_;
};

// Byte-range locks are mandatory on Windows: a record's lock is taken far
// past its end, so that holding it never stops anyone reading the record.
constexpr DWORD kRecordLockAt = 0x7FFFFFFF;  // high 32 bits of the offset

// Takes the record's exclusive lock without waiting; false with
// GetLastError() telling why not.
bool LockRecord(HANDLE handle) {
  OVERLAPPED at = {};
  at.OffsetHigh = kRecordLockAt;
  return ::LockFileEx(handle,
                      LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1,
                      0, &at) != 0;
}

// The commit record while its writer lives: shared for reading and for
// deleting, so that others may judge it and its writer remove it.
class WindowsExclusiveFile : public ExclusiveFile {
 public:
  explicit WindowsExclusiveFile(HANDLE handle) : handle_(handle) {}
  ~WindowsExclusiveFile() override { ::CloseHandle(handle_); }

  Status Append(std::string_view data) override {
    return WriteAllTo(handle_, data);
  }

  Status Sync() override {
    if (!::FlushFileBuffers(handle_)) return LastWin32Failure();
    return Status::Ok();
  }

 private:
  HANDLE handle_;
};

class WindowsLockableFile : public LockableFile {
 public:
  // Owns `handle`; `info` describes its file.
  WindowsLockableFile(HANDLE handle, const BY_HANDLE_FILE_INFORMATION& info)
      : file_(handle,
              (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow),
        handle_(handle) {}

  ReadableFile& file() override { return file_; }
  bool foreign_owner() const override { return false; }

  Result<LockAttempt> TryLock() override {
    if (!LockRecord(handle_)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_LOCK_VIOLATION) return LockAttempt::kHeldElsewhere;
      return FailureFromWin32(error);
    }
    // Its writer removes the record while holding the lock; Windows keeps
    // the name of a removed file until its last handle closes.
    FILE_STANDARD_INFO info;
    if (::GetFileInformationByHandleEx(handle_, FileStandardInfo, &info,
                                       sizeof info) &&
        info.DeletePending) {
      return LockAttempt::kRemoved;
    }
    return LockAttempt::kTaken;
  }

 private:
  WindowsReadableFile file_;  // owns `handle_`
  HANDLE handle_;
};

enum class Replaced {
  kMovedOntoNothing,  // `to` did not exist
  kSetAside,          // the former `to` waits under SetAsideName
};

// Where the file or folder held by `handle` is, with no link or junction
// left in the path and in its extended form (\\?\C:\dir,
// \\?\UNC\server\share); "" where the system cannot tell.
std::wstring FinalPath(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 2; ++attempt) {
    const DWORD length = ::GetFinalPathNameByHandleW(
        handle, path.data(), static_cast<DWORD>(path.size()),
        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return L"";
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length);  // the size it needs, with its terminator
  }
  return L"";
}

// FinalPath of the folder held by `handle`, ending with a separator.
std::wstring HeldFolderPath(HANDLE handle) {
  std::wstring path = FinalPath(handle);
  if (!path.empty() && !path.ends_with(L'\\')) path += L'\\';
  return path;
}

// True when the file at `path`, which refused access, is being deleted: it
// was removed while another program still holds it open, and keeps its
// name ("delete pending") until that program lets go. Anything else that
// refuses access (a folder, a read-only file, a file that refuses this
// user) can still be opened without access, a file being deleted not even
// so.
bool DeletePending(const std::wstring& path) {
  WIN32_FIND_DATAW found;
  const HANDLE search = ::FindFirstFileW(path.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return false;
  ::FindClose(search);
  if (found.dwFileAttributes &
      (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) {
    return false;
  }
  const HANDLE handle = ::CreateFileW(path.c_str(), 0, kShareAll, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return ::GetLastError() == ERROR_ACCESS_DENIED;
  }
  ::CloseHandle(handle);
  return false;
}

class WindowsFolder : public Folder {
 public:
  WindowsFolder(HANDLE handle, std::string path)
      : handle_(handle),
        path_(std::move(path)),
        held_path_(HeldFolderPath(handle)) {}
  ~WindowsFolder() override {
    for (const auto& [name, path, handle] : closed_) ::CloseHandle(handle);
    ::CloseHandle(handle_);
  }

  std::unique_ptr<FolderLock> TryLock(LockKind kind) override {
    Result<HANDLE> opened = OpenLockFile();
    if (!opened.ok()) {
      return std::make_unique<WindowsFolderLock>(opened.status());
    }
    const HANDLE handle = *opened;
    if (handle == INVALID_HANDLE_VALUE) return nullptr;
    OVERLAPPED at = {};
    const DWORD how =
        kind == LockKind::kExclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0;
    if (::LockFileEx(handle, how | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
      return std::make_unique<WindowsFolderLock>(handle);
    }
    const DWORD error = ::GetLastError();
    ::CloseHandle(handle);
    if (error == ERROR_LOCK_VIOLATION) return nullptr;
    return std::make_unique<WindowsFolderLock>(Status(FailureFromWin32(error)));
  }

  void RemoveStaleTemporaries(
      std::span<const std::string_view> final_names) override {
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW(System("*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
      const std::string name = Narrow(found.cFileName);
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
          IsTemporaryNameForAny(name, final_names) && !IsLinkHere(name)) {
        // Fails with a sharing violation while its run holds it open.
        (void)::DeleteFileW(System(name).c_str());
      }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
  }

  Result<std::optional<FileStatus>> StatName(const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    const std::string path = Full(name);
    if (CannotName(path)) return FailureCode::kBadFileNameOrNumber;
    if (NamesDevice(path)) return std::optional<FileStatus>(FileStatus{});
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(System(name).c_str(), GetFileExInfoStandard,
                                &data)) {
      const DWORD error = ::GetLastError();
      // A file being deleted is gone but for the name it keeps meanwhile.
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
          (error == ERROR_ACCESS_DENIED && DeletePending(System(name)))) {
        return std::optional<FileStatus>();
      }
      return FailureFromWin32(error);
    }
    FileStatus status;
    status.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                      ? FileKind::kDirectory
                  : IsLinkHere(name) ? FileKind::kOther
                                     : FileKind::kRegular;
    status.size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
    status.hidden = (data.dwFileAttributes &
                     (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
    status.identity = IdentityOf(System(name));
    return std::optional<FileStatus>(status);
  }

  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    return HostFileSystem().OpenForRead(Full(name));
  }

  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name, const std::string& stem) override {
    if (!IsPlainName(final_name) || !IsPlainName(stem)) {
      return FailureCode::kBadFileNameOrNumber;
    }
    auto file = std::make_unique<WindowsWritableFile>(closed_);
    for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
      const std::string name = TemporaryName(stem, RandomTemporarySuffix());
      const Status created = CreateNew(name, *file);
      if (created.ok()) return std::unique_ptr<WritableFile>(std::move(file));
      // Only a name that is taken is worth another try.
      if (::GetFileAttributesW(System(name).c_str()) ==
          INVALID_FILE_ATTRIBUTES) {
        return created;
      }
    }
    return FailureCode::kPathFileAccessError;
  }

  Result<std::unique_ptr<ExclusiveFile>> CreateExclusive(
      const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    // CREATE_NEW never opens anything that exists, a link included.
    const HANDLE handle =
        ::CreateFileW(System(name).c_str(), GENERIC_READ | GENERIC_WRITE,
                      FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
    // A name that exists already is 75, as any error with no number of
    // its own.
    if (handle == INVALID_HANDLE_VALUE) return LastWin32FailureOn(Full(name));
    (void)LockRecord(handle);
    return std::unique_ptr<ExclusiveFile>(
        std::make_unique<WindowsExclusiveFile>(handle));
  }

  Result<std::unique_ptr<LockableFile>> OpenLockable(
      const std::string& name) override {
    if (!IsPlainName(name)) return FailureCode::kBadFileNameOrNumber;
    const HANDLE handle = ::CreateFileW(
        System(name).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      // A record being removed by its writer is gone already.
      if (::GetLastError() == ERROR_ACCESS_DENIED &&
          DeletePending(System(name))) {
        return FailureCode::kFileNotFound;
      }
      return LastWin32FailureOn(Full(name));
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes &
         (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0 ||
        ::GetFileType(handle) != FILE_TYPE_DISK || IsLinkHere(name)) {
      ::CloseHandle(handle);
      return FailureCode::kPathFileAccessError;
    }
    return std::unique_ptr<LockableFile>(
        std::make_unique<WindowsLockableFile>(handle, info));
  }

  Status SyncClosedFiles() override {
    Status status;
    for (const auto& [name, path, handle] : closed_) {
      if (!::FlushFileBuffers(handle) && status.ok()) {
        status = LastWin32Failure();
      }
      if (!::CloseHandle(handle) && status.ok()) status = LastWin32Failure();
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
          if (how == Replaced::kSetAside) return SetAsideName(r.from);
          return std::nullopt;
        });
  }

  Status MoveOnto(const std::string& from, const std::string& to) override {
    if (!IsPlainName(from) || !IsPlainName(to)) {
      return Status(FailureCode::kBadFileNameOrNumber);
    }
    if (!::MoveFileExW(System(from).c_str(), System(to).c_str(),
                       kMoveFlags | MOVEFILE_REPLACE_EXISTING)) {
      return LastWin32FailureOn(Full(to));
    }
    return Status::Ok();
  }

  Status MoveWithoutReplacing(const std::string& from,
                              const std::string& to) override {
    if (!IsPlainName(from) || !IsPlainName(to)) {
      return Status(FailureCode::kBadFileNameOrNumber);
    }
    // A name that exists already is 75, as any error with no number of
    // its own.
    if (!::MoveFileExW(System(from).c_str(), System(to).c_str(), kMoveFlags)) {
      return LastWin32FailureOn(Full(to));
    }
    return Status::Ok();
  }

  Status Remove(const std::string& name) override {
    if (RemoveClosed(name)) return Status::Ok();
    return OutOfMemoryAsFailure([&] {
      if (!IsPlainName(name)) return Status(FailureCode::kBadFileNameOrNumber);
      // Wine removes what a Unix link leads to, not the link.
      if (IsLinkHere(name)) return Status(FailureCode::kPathFileAccessError);
      if (!::DeleteFileW(System(name).c_str())) {
        return LastWin32FailureOn(Full(name));
      }
      return Status::Ok();
    });
  }

  // Every move is written through (MOVEFILE_WRITE_THROUGH) already.
  Status SyncNames() override { return Status::Ok(); }

 private:
  // Opens the lock file to lock it: a new one, deleted when this run closes
  // it, or the one that another run made or a power cut left, which stays.
  // On success returns its handle, or INVALID_HANDLE_VALUE while the file
  // is being deleted, let go of by the run that made it while another run
  // still holds it: a live run holds the lock. On failure returns why
  // something else that has the name (see CheckLockFile) keeps the folder
  // from being locked; it is not touched.
  Result<HANDLE> OpenLockFile() {
    const std::wstring path = System(kFolderLockFileName);
    // The file found may go before it is opened: then make it again, once.
    for (int attempt = 0; attempt < 2; ++attempt) {
      const HANDLE made = ::CreateFileW(
          path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, kShareAll,
          nullptr, CREATE_NEW,
          FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
      if (made != INVALID_HANDLE_VALUE) return made;
      DWORD error = ::GetLastError();
      if (error == ERROR_FILE_EXISTS) {
        const HANDLE found = ::CreateFileW(
            path.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (found != INVALID_HANDLE_VALUE) return CheckLockFile(found);
        error = ::GetLastError();
        if (error == ERROR_FILE_NOT_FOUND) continue;
      }
      if (error == ERROR_ACCESS_DENIED && DeletePending(path)) {
        return INVALID_HANDLE_VALUE;
      }
      return FailureFromWin32(error);
    }
    // A name that is taken but leads nowhere: a link to a missing file.
    return FailureCode::kPathFileAccessError;
  }

  // `found`, opened at the lock file's name, when it is a lock file: an
  // empty, plain, writable file that is itself at that name in this folder.
  // A link is none, nor what one leads to (under wine a Unix link looks
  // like a plain file, but its final path is elsewhere).
  // On success returns `found`. On failure closes it and returns 70 for a
  // read-only file, else 75 (or the failure to look at it).
  Result<HANDLE> CheckLockFile(HANDLE found) {
    BY_HANDLE_FILE_INFORMATION info;
    Status why;
    if (!::GetFileInformationByHandle(found, &info)) {
      why = LastWin32Failure();
    } else if (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
      why = Status(FailureCode::kPermissionDenied);
    } else if ((info.dwFileAttributes &
                (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
               info.nFileSizeHigh != 0 || info.nFileSizeLow != 0 ||
               ReachesElsewhere(found, kFolderLockFileName)) {
      why = Status(FailureCode::kPathFileAccessError);
    }
    if (why.ok()) return found;
    ::CloseHandle(found);
    return why;
  }

  // True when `name` here is a link: a reparse point, or a file that is
  // not itself at this name (under wine a Unix link looks like a plain
  // file, but its final path is elsewhere). Removing through such a name
  // could reach the file it leads to. False where nothing can be opened.
  bool IsLinkHere(const std::string& name) const {
    const HANDLE handle = ::CreateFileW(
        System(name).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
        FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool link =
        !::GetFileInformationByHandle(handle, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
        ReachesElsewhere(handle, name);
    ::CloseHandle(handle);
    return link;
  }

  // True when the file `handle` was opened at `name` here is not itself at
  // that name in the held folder: a link led elsewhere. False where the
  // system cannot tell where the folder is.
  bool ReachesElsewhere(HANDLE handle, const std::string& name) const {
    return !held_path_.empty() &&
           ::CompareStringOrdinal(FinalPath(handle).c_str(), -1,
                                  (held_path_ + Widen(name)).c_str(), -1,
                                  TRUE) != CSTR_EQUAL;
  }

  std::string Full(const std::string& name) const {
    return ResolveIn(path_, name);
  }
  // The name for system calls: under the held folder's own path, or the
  // path given where the system cannot tell that one.
  std::wstring System(const std::string& name) const {
    if (held_path_.empty()) return SystemPath(Full(name));
    return held_path_ + Widen(name);
  }

  bool Move(const std::string& from, const std::string& to) {
    return ::MoveFileExW(System(from).c_str(), System(to).c_str(),
                         kMoveFlags) != 0;
  }

  // Creates `name` here as a new file, which `file` then owns.
  Status CreateNew(const std::string& name, WindowsWritableFile& file) {
    const std::string path = Full(name);
    if (CannotName(path)) return Status(FailureCode::kBadFileNameOrNumber);
    if (NamesDevice(path)) return Status(FailureCode::kPathFileAccessError);
    // What the file keeps is made before it exists.
    std::string kept_name = name;
    std::wstring removal_path = System(name);
    const HANDLE handle =
        ::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                      nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    // A name that exists already is 75, as any error with no number of
    // its own.
    if (handle == INVALID_HANDLE_VALUE) return LastWin32FailureOn(path);
    file.Adopt(handle, std::move(kept_name), std::move(removal_path));
    return Status::Ok();
  }

  // Removes `name` when it is a closed file this folder still holds (which
  // would keep it), through the path kept with it, so that removing it on
  // the way out of a failure needs no memory. Returns whether it did.
  bool RemoveClosed(const std::string& name) {
    auto it = std::find_if(closed_.begin(), closed_.end(),
                           [&](const ClosedFile& f) { return f.name == name; });
    if (it == closed_.end()) return false;
    ::CloseHandle(it->handle);
    const bool removed = ::DeleteFileW(it->path.c_str()) != 0;
    closed_.erase(it);
    return removed;
  }

  // Refuses to replace a folder (75), a read-only file (70), and a file that
  // another program holds open without letting it be renamed (70), before
  // anything is moved.
  Status CheckReplaceable(const std::string& name, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      return Status(FailureCode::kPathFileAccessError);
    }
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      return Status(FailureCode::kPermissionDenied);
    }
    const HANDLE handle =
        ::CreateFileW(System(name).c_str(), DELETE, kShareAll, nullptr,
                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return LastWin32Failure();
    ::CloseHandle(handle);
    return Status::Ok();
  }

  Result<Replaced> ReplaceOne(const Replacement& r) {
    const DWORD attributes = ::GetFileAttributesW(System(r.to).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_FILE_NOT_FOUND) return FailureFromWin32(error);
      if (!Move(r.from, r.to)) return LastWin32Failure();
      return Replaced::kMovedOntoNothing;
    }
    if (Status s = CheckReplaceable(r.to, attributes); !s.ok()) return s;
    // The new file takes over the earlier one's attributes and security; the
    // earlier one stays under the aside name until all are in place.
    const std::string aside = SetAsideName(r.from);
    if (::ReplaceFileW(System(r.to).c_str(), System(r.from).c_str(),
                       System(aside).c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                       nullptr, nullptr)) {
      // Windows carries the attributes over itself; wine does not.
      const DWORD kept = attributes & kKeptAttributes;
      (void)::SetFileAttributesW(System(r.to).c_str(),
                                 kept != 0 ? kept : FILE_ATTRIBUTE_NORMAL);
      return Replaced::kSetAside;
    }
    const DWORD error = ::GetLastError();
    // The earlier file was moved aside but the new one not in: put it back.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) (void)Move(aside, r.to);
    return FailureFromWin32(error);
  }

  void UndoOne(const Replacement& r, Replaced how) {
    (void)Move(r.to, r.from);
    if (how == Replaced::kSetAside) (void)Move(SetAsideName(r.from), r.to);
  }

  HANDLE handle_;
  std::string path_;        // as given, for what the user is told
  std::wstring held_path_;  // HeldFolderPath
  ClosedFiles closed_;      // flushed by SyncClosedFiles
};

}  // namespace

Result<FileStatus> WindowsFileSystem::Stat(const std::string& path) {
  if (CannotName(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return FailureCode::kFileNotFound;
  if (NamesDevice(path)) return FileStatus{};  // kOther
  WIN32_FILE_ATTRIBUTE_DATA data;
  const std::wstring system_path = SystemPath(path);
  if (!::GetFileAttributesExW(system_path.c_str(), GetFileExInfoStandard,
                              &data)) {
    // Any missing part of the path means the file is not there.
    const DWORD error = ::GetLastError();
    if (error == ERROR_PATH_NOT_FOUND) return FailureCode::kFileNotFound;
    return FailureFromWin32(error);
  }
  FileStatus status;
  DWORD attributes = data.dwFileAttributes;
  std::uint64_t size =
      (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) {
    // A link: what counts is its target.
    const HANDLE handle =
        ::CreateFileW(system_path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                      FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    BY_HANDLE_FILE_INFORMATION info;
    if (handle == INVALID_HANDLE_VALUE) return LastWin32FailureOn(path);
    const bool known = ::GetFileInformationByHandle(handle, &info);
    ::CloseHandle(handle);
    if (!known) return LastWin32Failure();
    attributes = info.dwFileAttributes;
    size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  }
  status.kind = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? FileKind::kDirectory
                : (attributes & FILE_ATTRIBUTE_DEVICE)  ? FileKind::kOther
                                                        : FileKind::kRegular;
  status.size = size;
  status.hidden =
      (attributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) != 0;
  status.identity = IdentityOf(system_path);
  return status;
}

Result<std::unique_ptr<ReadableFile>> WindowsFileSystem::OpenForRead(
    const std::string& path) {
  if (CannotName(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return FailureCode::kFileNotFound;
  if (NamesDevice(path)) return FailureCode::kPathFileAccessError;
  const HANDLE handle =
      ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastWin32FailureOn(path);
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    return FailureCode::kPathFileAccessError;
  }
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(handle, &size)) {
    const Status failure = LastWin32Failure();
    ::CloseHandle(handle);
    return failure;
  }
  return std::unique_ptr<ReadableFile>(std::make_unique<WindowsReadableFile>(
      handle, static_cast<std::uint64_t>(size.QuadPart)));
}

Status WindowsFileSystem::CreateFolder(const std::string& path) {
  if (CannotName(path)) return Status(FailureCode::kBadFileNameOrNumber);
  if (::CreateDirectoryW(SystemPath(path).c_str(), nullptr)) {
    return Status::Ok();
  }
  const DWORD error = ::GetLastError();
  if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
    return Status(FailureCode::kPathFileAccessError);
  }
  if (error == ERROR_FILE_NOT_FOUND) return Status(FailureCode::kPathNotFound);
  return Status(FailureFromWin32(error));
}

Result<std::unique_ptr<Folder>> WindowsFileSystem::OpenFolder(
    const std::string& path) {
  if (CannotName(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return FailureCode::kFileNotFound;
  const std::wstring system_path = SystemPath(path);
  // Listing, or only passing through where listing is denied: either
  // access takes part in sharing, so the folder cannot be renamed while
  // the handle is held.
  HANDLE handle = INVALID_HANDLE_VALUE;
  for (const DWORD access : {FILE_LIST_DIRECTORY, FILE_TRAVERSE}) {
    handle = ::CreateFileW(system_path.c_str(), access,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle != INVALID_HANDLE_VALUE ||
        ::GetLastError() != ERROR_ACCESS_DENIED) {
      break;
    }
  }
  if (handle == INVALID_HANDLE_VALUE) return LastWin32FailureOn(path);
  if (!IsFolder(path)) {
    ::CloseHandle(handle);
    return FailureCode::kPathFileAccessError;
  }
  return std::unique_ptr<Folder>(std::make_unique<WindowsFolder>(handle, path));
}

FileSystem& HostFileSystem() {
  static WindowsFileSystem file_system;
  return file_system;
}

}  // namespace mirlot
