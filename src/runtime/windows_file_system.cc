#include "runtime/windows_file_system.h"

#include <windows.h>

#include <algorithm>
#include <random>
#include <vector>

#include "runtime/path.h"
#include "runtime/windows_error.h"
#include "runtime/windows_path.h"
#include "runtime/windows_text.h"

namespace mirlot {

namespace {

constexpr std::size_t kWriteBufferSize = 256 * 1024;
constexpr DWORD kLargestTransfer = 1u << 30;
constexpr int kTemporaryNameAttempts = 100;
constexpr std::size_t kTemporaryStemBytes = 200;
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

// Buffers small appends so that many short pieces become few system calls;
// large appends go straight to the file.
class WindowsWritableFile : public WritableFile {
 public:
  WindowsWritableFile(HANDLE handle, std::string path)
      : handle_(handle), path_(std::move(path)) {
    buffer_.reserve(kWriteBufferSize);
  }
  ~WindowsWritableFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
  }

  Status Append(std::string_view data) override {
    if (buffer_.size() + data.size() <= kWriteBufferSize) {
      buffer_.append(data);
      return Status::Ok();
    }
    if (Status s = Flush(); !s.ok()) return s;
    if (data.size() < kWriteBufferSize) {
      buffer_.append(data);
      return Status::Ok();
    }
    return WriteAll(data);
  }

  Status Close() override {
    Status status = Flush();
    // On the disk before it is moved over an earlier file (see the POSIX
    // implementation).
    if (status.ok() && !::FlushFileBuffers(handle_)) {
      status = LastWin32Failure();
    }
    if (!::CloseHandle(handle_) && status.ok()) status = LastWin32Failure();
    handle_ = INVALID_HANDLE_VALUE;
    return status;
  }

  const std::string& path() const override { return path_; }

 private:
  Status Flush() {
    Status status = WriteAll(buffer_);
    buffer_.clear();
    return status;
  }

  Status WriteAll(std::string_view data) {
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
  std::string path_;
  std::string buffer_;
};

std::string RandomSuffix() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  static constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string suffix(8, ' ');
  for (char& c : suffix) c = kAlphabet[generator() % (sizeof kAlphabet - 1)];
  return suffix;
}

Result<std::unique_ptr<WritableFile>> CreateExclusive(const std::string& path) {
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
      std::make_unique<WindowsWritableFile>(handle, path));
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
  const std::string stem = "." + final_name.substr(0, kTemporaryStemBytes);
  for (int attempt = 0; attempt < kTemporaryNameAttempts; ++attempt) {
    const std::string path = ResolveIn(folder, stem + ".tmp-" + RandomSuffix());
    Result<std::unique_ptr<WritableFile>> file = CreateExclusive(path);
    // Only a name that is taken is worth another try.
    if (file.ok() || Attributes(path) == INVALID_FILE_ATTRIBUTES) return file;
  }
  return FailureCode::kPathFileAccessError;
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
  return CreateExclusive(path);
}

FileSystem& HostFileSystem() {
  static WindowsFileSystem file_system;
  return file_system;
}

}  // namespace mirlot
