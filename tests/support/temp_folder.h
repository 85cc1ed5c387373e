// A fresh folder under the system's temporary folder, removed with the
// object, with helpers to put files in, read them back and list them.
#ifndef MIRLOT_TESTS_SUPPORT_TEMP_FOLDER_H_
#define MIRLOT_TESTS_SUPPORT_TEMP_FOLDER_H_

#include <filesystem>
#include <map>
#include <string>

namespace mirlot {

// What a folder tree holds: relative path (UTF-8, "/" between names) ->
// "folder", "link", "special" or "file:" + content.
using FolderSnapshot = std::map<std::string, std::string>;

class TempFolder {
 public:
  // A new folder in `parent`, readable by every user, so that a test may run
  // a program as another user inside it.
  explicit TempFolder(const std::filesystem::path& parent =
                          std::filesystem::temp_directory_path());
  // Removes the folder and all it holds.
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // The full path of `name` (UTF-8) inside the folder, in UTF-8.
  std::string Path(const std::string& name) const;
  // The same as a path object (a name outside ASCII needs no code page).
  std::filesystem::path Native(const std::string& name) const;
  // Writes `content` to `name`, creating its folders.
  void Write(const std::string& name, const std::string& content) const;
  // The content of `name` ("" when it cannot be read). A file over 4 MiB
  // fails the test, here and in Snapshot(), and reads as "".
  std::string Read(const std::string& name) const;
  FolderSnapshot Snapshot() const;

 private:
  std::filesystem::path root_;
};

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_TEMP_FOLDER_H_
