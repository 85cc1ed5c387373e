// The host file system on POSIX systems.
#ifndef MIRLOT_RUNTIME_POSIX_FILE_SYSTEM_H_
#define MIRLOT_RUNTIME_POSIX_FILE_SYSTEM_H_

#include "runtime/file_system.h"

namespace mirlot {

// POSIX specifics of the FileSystem contract:
// - OpenFolder opens a folder that may be written but not read by its path
//   alone (O_PATH): files are made and moved there as anywhere, but it
//   cannot be locked, listed or synced.
// - A folder's lock is a flock on the folder itself, shared or exclusive,
//   so that nothing is created in it.
// - Temporary files are flock'ed by their run while it writes them, so that
//   RemoveStaleTemporaries leaves them alone.
// - SyncClosedFiles syncs a few files one by one (fdatasync) and more with
//   one syncfs of their file system, which writes its whole backlog but
//   commits the journal once instead of once per file.
class PosixFileSystem : public FileSystem {
 public:
  // Ignores SIGXFSZ for the whole process: a write past the file-size limit
  // then fails (61) like a full disk, instead of killing the process and
  // leaving its temporary files behind.
  PosixFileSystem();

  Result<FileStatus> Stat(const std::string& path) override;
  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& path) override;
  Status CreateFolder(const std::string& path) override;
  Result<std::unique_ptr<Folder>> OpenFolder(const std::string& path) override;
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_POSIX_FILE_SYSTEM_H_
