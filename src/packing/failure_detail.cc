#include "packing/failure_detail.h"

#include <string>

#include "runtime/path.h"
#include "runtime/text.h"

namespace mirlot {

std::string ReasonOf(const Status& failure) {
  switch (static_cast<FailureCode>(failure.number())) {
    case FailureCode::kOutOfMemory:
      return "out of memory";
    case FailureCode::kBadFileNameOrNumber:
      return "bad name";
    case FailureCode::kFileNotFound:
      return "no such file";
    case FailureCode::kDeviceIoError:
      return "input/output error";
    case FailureCode::kDiskFull:
      return "no space left";
    case FailureCode::kInputPastEndOfFile:
      return "ended early";
    case FailureCode::kDeviceUnavailable:
      return "no such drive";
    case FailureCode::kPermissionDenied:
      return "permission denied";
    case FailureCode::kDiskNotReady:
      return "drive not ready";
    case FailureCode::kPathFileAccessError:
      return "cannot be accessed";
    case FailureCode::kPathNotFound:
      return "no such folder";
    default:
      return "failure " + std::to_string(failure.number());
  }
}

std::string PlaceName(const ListPlace& place) {
  return "list line " + std::to_string(place.line) + ", field " +
         std::to_string(place.field);
}

std::string ShownPath(std::string_view path) {
  return EscapeControls(path, false);
}

std::string EntryDetail(const ListPlace& place, std::string_view what,
                        std::string_view reason) {
  return PlaceName(place) + ": " + std::string(what) + ": " +
         std::string(reason);
}

Status Explained(const Status& failure, std::string_view what) {
  if (failure.Is(FailureCode::kUserInterrupt)) return failure;
  return failure.WithDetail(std::string(what) + ": " + ReasonOf(failure));
}

Status NameRereadFailure(const Status& failure, const ListPlace& place) {
  return Explained(failure,
                   PlaceName(place) + ": reading its name from the list");
}

std::string OutputOperation(std::string_view operation, std::string_view name,
                            const std::string& folder) {
  return std::string(operation) + " " + std::string(name) + " in " +
         FolderName(folder);
}

}  // namespace mirlot
