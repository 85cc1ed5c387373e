// The host file system on Windows, through the wide-character Win32 calls.
#ifndef MIRLOT_RUNTIME_WINDOWS_FILE_SYSTEM_H_
#define MIRLOT_RUNTIME_WINDOWS_FILE_SYSTEM_H_

#include "runtime/file_system.h"

namespace mirlot {

// Windows specifics of the FileSystem contract:
// - Stat: a file with the HIDDEN or SYSTEM attribute is hidden; a dot-file
//   is not. A device name (NUL, CON, COM1, "nul.txt", …) or a \\.\ path is
//   of kind kOther and is never opened.
// - OpenForRead shares reading, writing and deleting with other programs,
//   so a member open in an editor still packs, and refuses anything that is
//   not a disk file.
// - Stat fills the identity from the volume's serial number and the file's
//   index, which takes an open of the file without access.
// - OpenFolder holds the folder open without FILE_SHARE_DELETE, so that it
//   cannot be renamed or removed (nor a folder above it) while open; names
//   are then resolved through its path.
// - A folder's lock is a byte-range lock (LockFileEx, shared or exclusive)
//   on ".mirlot-commit.lock" in it, hidden and deleted when its last holder
//   closes it. A folder where it cannot be created gets the stand-in.
// - Temporary files are opened without FILE_SHARE_DELETE, so that
//   RemoveStaleTemporaries cannot delete one a live run holds open.
// - Moves are MoveFileExW with MOVEFILE_WRITE_THROUGH, so SyncNames has
//   nothing left to do.
// - ReplaceTogether moves each earlier file aside (ReplaceFileW, which keeps
//   its attributes and security on the new one) and puts every one back when
//   a later step fails, so on failure all earlier files are as they were. A
//   read-only or a held-open earlier file is refused with 70.
class WindowsFileSystem : public FileSystem {
 public:
  Result<FileStatus> Stat(const std::string& path) override;
  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& path) override;
  Status CreateFolder(const std::string& path) override;
  Result<std::unique_ptr<Folder>> OpenFolder(const std::string& path) override;
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_WINDOWS_FILE_SYSTEM_H_
