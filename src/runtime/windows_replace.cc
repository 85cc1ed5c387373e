// WindowsFileSystem::ReplaceTogether. Windows cannot swap two names in one
// step, so each earlier file is moved aside while its successor moves in,
// and everything is put back when a later step fails.
#include <windows.h>

#include <vector>

#include "runtime/replace_all_or_none.h"
#include "runtime/windows_error.h"
#include "runtime/windows_file_system.h"
#include "runtime/windows_path.h"

namespace mirlot {

namespace {

enum class Replaced {
  kMovedOntoNothing,  // `to` did not exist
  kSetAside,          // the former `to` waits under SetAsideName
};

// What a replaced output keeps of the earlier file's attributes.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

std::string SetAsideName(const Replacement& r) { return r.from + "-old"; }

bool Move(const std::string& from, const std::string& to) {
  return ::MoveFileExW(SystemPath(from).c_str(), SystemPath(to).c_str(),
                       MOVEFILE_WRITE_THROUGH) != 0;
}

// Refuses to replace a folder (75), a read-only file (70), and a file that
// another program holds open without letting it be renamed (70), before
// anything is moved.
Status CheckReplaceable(const std::string& path, DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
    return Status(FailureCode::kPathFileAccessError);
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) {
    return Status(FailureCode::kPermissionDenied);
  }
  const HANDLE handle =
      ::CreateFileW(SystemPath(path).c_str(), DELETE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return LastWin32Failure();
  ::CloseHandle(handle);
  return Status::Ok();
}

Result<Replaced> ReplaceOne(const Replacement& r) {
  const DWORD attributes = ::GetFileAttributesW(SystemPath(r.to).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_NOT_FOUND) return FailureFromWin32(error);
    if (!Move(r.from, r.to)) return LastWin32Failure();
    return Replaced::kMovedOntoNothing;
  }
  if (Status s = CheckReplaceable(r.to, attributes); !s.ok()) return s;
  // The new file takes over the earlier one's attributes and security; the
  // earlier one stays under the aside name until all are in place.
  const std::string aside = SetAsideName(r);
  if (::ReplaceFileW(SystemPath(r.to).c_str(), SystemPath(r.from).c_str(),
                     SystemPath(aside).c_str(), REPLACEFILE_IGNORE_MERGE_ERRORS,
                     nullptr, nullptr)) {
    // Windows carries the attributes over itself; wine does not.
    const DWORD kept = attributes & kKeptAttributes;
    (void)::SetFileAttributesW(SystemPath(r.to).c_str(),
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
  if (how == Replaced::kSetAside) (void)Move(SetAsideName(r), r.to);
}

}  // namespace

Status WindowsFileSystem::ReplaceTogether(
    std::span<const Replacement> replacements) {
  Result<std::vector<Replaced>> replaced =
      ReplaceAllOrNone<Replaced>(replacements, ReplaceOne, UndoOne);
  if (!replaced.ok()) return replaced.status();
  const std::vector<Replaced>& done = *replaced;
  for (std::size_t i = 0; i < done.size(); ++i) {
    if (done[i] == Replaced::kSetAside) {
      (void)::DeleteFileW(SystemPath(SetAsideName(replacements[i])).c_str());
    }
  }
  return Status::Ok();
}

}  // namespace mirlot
