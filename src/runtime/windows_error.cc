// Win32 errors as failure numbers.
#include "runtime/windows_error.h"

#include <windows.h>

#include "runtime/windows_path.h"

namespace mirlot {

FailureCode FailureFromWin32(unsigned long error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
      return FailureCode::kFileNotFound;
    case ERROR_PATH_NOT_FOUND:
      return FailureCode::kPathNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return FailureCode::kPermissionDenied;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL:
      return FailureCode::kDiskFull;
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_NAME:
    case ERROR_BAD_PATHNAME:
    case ERROR_FILENAME_EXCED_RANGE:
      return FailureCode::kBadFileNameOrNumber;
    case ERROR_INVALID_DRIVE:
      return FailureCode::kDeviceUnavailable;
    case ERROR_NOT_READY:
      return FailureCode::kDiskNotReady;
    case ERROR_CRC:
    case ERROR_IO_DEVICE:
      return FailureCode::kDeviceIoError;
    default:
      return FailureCode::kPathFileAccessError;
  }
}

Status LastWin32Failure() { return Status(FailureFromWin32(::GetLastError())); }

Status LastWin32FailureOn(const std::string& path) {
  const DWORD error = ::GetLastError();
  const DWORD attributes = ::GetFileAttributesW(SystemPath(path).c_str());
  if (error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    return Status(FailureCode::kPathFileAccessError);
  }
  return Status(FailureFromWin32(error));
}

}  // namespace mirlot
