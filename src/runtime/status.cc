#include "runtime/status.h"

namespace mirlot {

Status::Status(FailureCode code)
    : number_(static_cast<int>(code)), description_(DescribeFailure(code)) {}

const char* DescribeFailure(FailureCode code) {
  switch (code) {
    case FailureCode::kOverflow:
      return "Overflow";
    case FailureCode::kOutOfMemory:
      return "Out of memory";
    case FailureCode::kSubscriptOutOfRange:
      return "Subscript out of range";
    case FailureCode::kUserInterrupt:
      return "User interrupt occurred";
    case FailureCode::kBadFileNameOrNumber:
      return "Bad file name or number";
    case FailureCode::kFileNotFound:
      return "File not found";
    case FailureCode::kDeviceIoError:
      return "Device I/O error";
    case FailureCode::kDiskFull:
      return "Disk full";
    case FailureCode::kInputPastEndOfFile:
      return "Input past end of file";
    case FailureCode::kDeviceUnavailable:
      return "Device unavailable";
    case FailureCode::kPermissionDenied:
      return "Permission denied";
    case FailureCode::kDiskNotReady:
      return "Disk not ready";
    case FailureCode::kPathFileAccessError:
      return "Path/File access error";
    case FailureCode::kPathNotFound:
      return "Path not found";
  }
  return "Application-defined or object-defined error";
}

}  // namespace mirlot
