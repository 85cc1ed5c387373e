#include "runtime/windows_file_system.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "runtime/buffered_writable_file.h"
#include "runtime/path.h"
#include "runtime/temporary_name.h"
#include "runtime/windows_error.h"
#include "runtime/windows_path.h"
#include "runtime/windows_text.h"

namespace mirlot {

namespace {

constexpr DWORD kLargestTransfer = 1u << 30;
constexpr int kTemporaryNameAttempts = 100;
constexpr wchar_t kLockName[] = L".mirlot-commit.lock";
constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kMoveFlags = MOVEFILE_WRITE_THROUGH;

// The longest path Windows can name, in UTF-16 units.
constexpr std::size_t kLongestPath = 32767;

// True for a path no Win32 call can take: one with a NUL, or longer than
// any path Windows can name (52, as Linux says for a name too long).
bool CannotName(const std::string& path) {
  if (path.find('\0') != std::string::npos) return true;
  return path.size() > kLongestPath && Widen(path).size() > kLongestPath;
}

// A device rather than a file: opening it could block (CON) or reach
// hardware, so such names are never opened.
bool NamesDevice(const std::string& path) {
  return IsDeviceName(LastComponent(path)) || path.starts_with(R"(\\.\)") ||
         path.starts_with("//./");
}

DWORD Attributes(const std::string& path) {
  return ::GetFileAttributesW(SystemPath(path).c_str());
}

bool IsFolder(const std::string& path) {
  const DWORD attributes = Attributes(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The failure for GetLastError() after a call on `path`: denied access to a
// folder is 75, as a folder is no file.
Status FailureOn(const std::string& path) {
  const DWORD error = ::GetLastError();
  if (error == ERROR_ACCESS_DENIED && IsFolder(path)) {
    return Status(FailureCode::kPathFileAccessError);
  }
  return Status(FailureFromWin32(error));
}

class WindowsReadableFile : public ReadableFile {
 public:
  explicit WindowsReadableFile(HANDLE handle) : handle_(handle) {}
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

  Result<std::uint64_t> Size() override {
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(handle_, &size)) return LastWin32Failure();
    return static_cast<std::uint64_t>(size.QuadPart);
  }

 private:
  HANDLE handle_;
};

class WindowsWritableFile : public BufferedWritableFile {
 public:
  WindowsWritableFile(HANDLE handle, std::string path)
      : BufferedWritableFile(std::move(path)), handle_(handle) {}
  ~WindowsWritableFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }

 private:
  Status SyncAndClose(bool sync) override {
    Status status;
    // On the disk before it is moved over an earlier file, so that a crash
    // soon after cannot leave a partial file under the final name.
    if (sync && !::FlushFileBuffers(handle_)) status = LastWin32Failure();
    if (!::CloseHandle(handle_) && status.ok()) status = LastWin32Failure();
    handle_ = INVALID_HANDLE_VALUE;
    return status;
  }

  Status WriteAll(std::string_view data) override {
    while (!data.empty()) {
      DWORD put = 0;
      const DWORD want = static_cast<DWORD>(
          std::min<std::size_t>(data.size(), kLargestTransfer));
      if (!::WriteFile(handle_, data.data(), want, &put, nullptr)) {
        return LastWin32Failure();
      }
      data.remove_prefix(put);
    }
    return Status::Ok();
  }

  HANDLE handle_;
};

// Creates `path` as a new file; `shown_path` is what its path() gives.
Result<std::unique_ptr<WritableFile>> CreateExclusive(
    const std::string& path, const std::string& shown_path) {
  if (CannotName(path)) return FailureCode::kBadFileNameOrNumber;
  if (NamesDevice(path)) return FailureCode::kPathFileAccessError;
  const HANDLE handle =
      ::CreateFileW(SystemPath(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS) {
      return FailureCode::kPathFileAccessError;
    }
    ::SetLastError(error);
    return FailureOn(path);
  }
  return std::unique_ptr<WritableFile>(
      std::make_unique<WindowsWritableFile>(handle, shown_path));
}

// A new temporary file for `final_name` in `folder`; its path() is its name
// alone when `name_only`.
Result<std::unique_ptr<WritableFile>> CreateTemporaryFile(
    const std::string& folder, const std::string& final_name, bool name_only) {
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    const std::string name = TemporaryName(final_name, RandomTemporarySuffix());
    const std::string path = ResolveIn(folder, name);
    Result<std::unique_ptr<WritableFile>> file =
        CreateExclusive(path, name_only ? name : path);
    // Only a name that is taken is worth another try.
    if (file.ok() || Attributes(path) == INVALID_FILE_ATTRIBUTES) return file;
  }
  return FailureCode::kPathFileAccessError;
}

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
    if (handle == INVALID_HANDLE_VALUE) return FailureOn(path);
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

Result<bool> WindowsFileSystem::NameTaken(const std::string& path) {
  if (CannotName(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return false;
  if (NamesDevice(path)) return true;
  if (Attributes(path) != INVALID_FILE_ATTRIBUTES) return true;
  const DWORD error = ::GetLastError();
  if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) {
    return false;
  }
  return FailureFromWin32(error);
}

Result<std::unique_ptr<ReadableFile>> WindowsFileSystem::OpenForRead(
    const std::string& path) {
  if (CannotName(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return FailureCode::kFileNotFound;
  if (NamesDevice(path)) return FailureCode::kPathFileAccessError;
  const HANDLE handle =
      ::CreateFileW(SystemPath(path).c_str(), GENERIC_READ, kShareAll, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return FailureOn(path);
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    return FailureCode::kPathFileAccessError;
  }
  return std::unique_ptr<ReadableFile>(
      std::make_unique<WindowsReadableFile>(handle));
}

Result<std::unique_ptr<WritableFile>> WindowsFileSystem::CreateTemporary(
    const std::string& folder, const std::string& final_name) {
  return CreateTemporaryFile(folder, final_name, false);
}

Status WindowsFileSystem::Rename(const std::string& from,
                                 const std::string& to) {
  if (!::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | kMoveFlags)) {
    return FailureOn(to);
  }
  return Status::Ok();
}

Status WindowsFileSystem::Remove(const std::string& path) {
  if (!::DeleteFileW(SystemPath(path).c_str())) return FailureOn(path);
  return Status::Ok();
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

Result<std::unique_ptr<WritableFile>> WindowsFileSystem::CreateNew(
    const std::string& path) {
  return CreateExclusive(path, path);
}

namespace {

class WindowsFolderLock : public FolderLock {
 public:
  explicit WindowsFolderLock(HANDLE handle) : handle_(handle) {}
  ~WindowsFolderLock() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }
  bool held() const override { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;  // INVALID_HANDLE_VALUE for the stand-in
};

class WindowsFolder : public Folder {
 public:
  WindowsFolder(WindowsFileSystem& files, HANDLE handle, std::string path)
      : files_(files), handle_(handle), path_(std::move(path)) {}
  ~WindowsFolder() override { ::CloseHandle(handle_); }

  Result<bool> NameTaken(const std::string& name) override {
    return files_.NameTaken(Full(name));
  }
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& final_name) override {
    return CreateTemporaryFile(path_, final_name, true);
  }
  Status MoveIntoPlace(const std::string& from, const std::string& to,
                       bool replace) override {
    const DWORD flags = kMoveFlags | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!::MoveFileExW(SystemPath(Full(from)).c_str(),
                       SystemPath(Full(to)).c_str(), flags)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS) {
        return Status(FailureCode::kPathFileAccessError);
      }
      ::SetLastError(error);
      return FailureOn(Full(to));
    }
    return Status::Ok();
  }
  Status Remove(const std::string& name) override {
    return files_.Remove(Full(name));
  }

 private:
  std::string Full(const std::string& name) const {
    return ResolveIn(path_, name);
  }

  WindowsFileSystem& files_;
  HANDLE handle_;
  std::string path_;
};

}  // namespace

std::unique_ptr<FolderLock> WindowsFileSystem::TryLockFolder(
    const std::string& folder) {
  const std::wstring lock_path =
      SystemPath(ResolveIn(folder, Narrow(kLockName)));
  const HANDLE handle = ::CreateFileW(
      lock_path.c_str(), GENERIC_READ | GENERIC_WRITE | DELETE, 0, nullptr,
      OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    return std::make_unique<WindowsFolderLock>(handle);
  }
  const DWORD error = ::GetLastError();
  // Held by another run, or being deleted as its holder lets go.
  if (error == ERROR_SHARING_VIOLATION ||
      (error == ERROR_ACCESS_DENIED &&
       ::GetFileAttributesW(lock_path.c_str()) != INVALID_FILE_ATTRIBUTES)) {
    return nullptr;
  }
  return std::make_unique<WindowsFolderLock>(INVALID_HANDLE_VALUE);
}

void WindowsFileSystem::RemoveStaleTemporaries(const std::string& folder,
                                               const std::string& final_name) {
  WIN32_FIND_DATAW found;
  const HANDLE search =
      ::FindFirstFileW(SystemPath(ResolveIn(folder, "*")).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = Narrow(found.cFileName);
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 &&
        IsTemporaryNameFor(name, final_name)) {
      // Fails with a sharing violation while its run holds it open.
      (void)::DeleteFileW(SystemPath(ResolveIn(folder, name)).c_str());
    }
  } while (::FindNextFileW(search, &found));
  ::FindClose(search);
}

Result<std::unique_ptr<Folder>> WindowsFileSystem::OpenFolder(
    const std::string& path) {
  if (CannotName(path)) return FailureCode::kBadFileNameOrNumber;
  if (path.empty()) return FailureCode::kFileNotFound;
  const HANDLE handle =
      ::CreateFileW(SystemPath(path).c_str(), FILE_LIST_DIRECTORY,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return FailureOn(path);
  if (!IsFolder(path)) {
    ::CloseHandle(handle);
    return FailureCode::kPathFileAccessError;
  }
  return std::unique_ptr<Folder>(
      std::make_unique<WindowsFolder>(*this, handle, path));
}

FileSystem& HostFileSystem() {
  static WindowsFileSystem file_system;
  return file_system;
}

}  // namespace mirlot
