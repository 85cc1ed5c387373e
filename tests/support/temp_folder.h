// A fresh folder under the system's temporary folder, removed with the
// object, with helpers to put files in and read them back.
#ifndef MIRLOT_TESTS_SUPPORT_TEMP_FOLDER_H_
#define MIRLOT_TESTS_SUPPORT_TEMP_FOLDER_H_

#include <filesystem>
#include <string>

namespace mirlot {

class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& root() const { return root_; }
  // The full path of `name` inside the folder.
  std::string Path(const std::string& name) const;
  // Writes `content` to `name`, creating its folders.
  void Write(const std::string& name, const std::string& content) const;
  // The content of `name` ("" when it cannot be read).
  std::string Read(const std::string& name) const;

 private:
  std::filesystem::path root_;
};

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_TEMP_FOLDER_H_
