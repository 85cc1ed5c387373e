// The host file system on POSIX systems.
#ifndef MIRLOT_RUNTIME_POSIX_FILE_SYSTEM_H_
#define MIRLOT_RUNTIME_POSIX_FILE_SYSTEM_H_

#include "runtime/file_system.h"

namespace mirlot {

class PosixFileSystem : public FileSystem {
 public:
  // Ignores SIGXFSZ for the whole process: a write past the file-size limit
  // then fails (61) like a full disk, instead of killing the process and
  // leaving its temporary files behind.
  PosixFileSystem();

  Result<FileStatus> Stat(const std::string& path) override;
  Result<bool> NameTaken(const std::string& path) override;
  Result<std::unique_ptr<ReadableFile>> OpenForRead(
      const std::string& path) override;
  Result<std::unique_ptr<WritableFile>> CreateTemporary(
      const std::string& folder, const std::string& final_name) override;
  Status Rename(const std::string& from, const std::string& to) override;
  Status ReplaceTogether(std::span<const Replacement> replacements) override;
  Status Remove(const std::string& path) override;
  Status CreateFolder(const std::string& path) override;
  Result<std::unique_ptr<WritableFile>> CreateNew(
      const std::string& path) override;
  std::unique_ptr<FolderLock> TryLockFolder(const std::string& folder) override;
  void RemoveStaleTemporaries(const std::string& folder,
                              const std::string& final_name) override;
  Result<std::unique_ptr<Folder>> OpenFolder(const std::string& path) override;
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_POSIX_FILE_SYSTEM_H_
