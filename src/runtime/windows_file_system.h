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
// - ReplaceTogether moves each earlier file aside (ReplaceFileW, which keeps
//   its attributes and security on the new one) and puts every one back when
//   a later step fails, so on failure all earlier files are as they were. A
//   read-only or a held-open earlier file is refused with 70.
class WindowsFileSystem : public FileSystem {
 public:
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
};

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_WINDOWS_FILE_SYSTEM_H_
