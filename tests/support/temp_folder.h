// A fresh folder under the system's temporary folder, removed with the
// object, with helpers to put files in, read them back and list them.
#ifndef MIRLOT_TESTS_SUPPORT_TEMP_FOLDER_H_
#define MIRLOT_TESTS_SUPPORT_TEMP_FOLDER_H_

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace mirlot {

// What a folder tree holds: relative path (UTF-8, "/" between names) ->
// "folder", "link to TARGET",
// "special", "file:" + content up to 4 KiB, else the size (and a hash up to
// 1 MiB; the sparse members of a GiB are not read).
using FolderSnapshot = std::map<std::string, std::string>;

class TempFolder {
 public:
  // On POSIX readable by every user, so that a test may run a program as
  // another user inside it.
  TempFolder();
  // Unmounts what Mount() mounted and makes every folder writable again, so
  // that the whole tree can be removed.
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // The full path of `name` (UTF-8) inside the folder, in UTF-8.
  std::string Path(const std::string& name) const;
  // Writes `content` to `name`, creating its folders.
  void Write(const std::string& name, const std::string& content) const;
  // The content of `name` ("" when it cannot be read).
  std::string Read(const std::string& name) const;
  FolderSnapshot Snapshot() const;
  // Mounts a tmpfs of `bytes` at the new folder `name` (POSIX, as root).
  // On success returns "". On failure returns why (the errno text; on
  // Windows always a failure).
  std::string Mount(const std::string& name, std::uint64_t bytes);

 private:
  // Creates the fresh folder (platform code).
  static std::filesystem::path MakeRoot();
  // Undoes Mount() (platform code).
  void Unmount();
  std::filesystem::path Native(const std::string& name) const;

  std::filesystem::path root_;
  std::string mounted_;
};

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_TEMP_FOLDER_H_
