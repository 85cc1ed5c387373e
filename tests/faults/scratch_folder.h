// A fresh folder under the system's temporary folder for one test, removed
// with everything in it when the test ends.
#ifndef MIRLOT_TESTS_FAULTS_SCRATCH_FOLDER_H_
#define MIRLOT_TESTS_FAULTS_SCRATCH_FOLDER_H_

#include <cstdint>
#include <map>
#include <string>

namespace mirlot {

// What a folder tree holds: relative path -> "file:" + content for regular
// files up to 4 KiB, "file of N bytes, hash H" up to 1 MiB, "file of N
// bytes" beyond, "folder", "link to TARGET" or "special".
using FolderSnapshot = std::map<std::string, std::string>;

class ScratchFolder {
 public:
  // Creates the folder, readable by every user (so that a test may run a
  // program as another user inside it).
  ScratchFolder();
  // Unmounts what Mount() mounted, then removes the whole tree.
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::string& path() const { return path_; }
  // The absolute path of `relative` inside the folder.
  std::string operator/(const std::string& relative) const;

  // Creates or replaces a file (and its folders) with `content`.
  void Write(const std::string& relative, const std::string& content) const;
  // The content of a file ("" when it cannot be read).
  std::string Read(const std::string& relative) const;
  void MakeFolder(const std::string& relative) const;
  void MakePipe(const std::string& relative) const;
  void MakeLink(const std::string& relative, const std::string& target) const;
  // Creates or resizes a file to `size` bytes without writing them (sparse).
  void Resize(const std::string& relative, std::uint64_t size) const;
  // Sets the permission bits of `relative` ("" for the folder itself).
  void SetMode(const std::string& relative, unsigned mode) const;

  // Mounts a tmpfs of `bytes` at the new folder `relative`.
  // On success returns "". On failure returns why (the errno text).
  std::string Mount(const std::string& relative, std::uint64_t bytes);

  FolderSnapshot Snapshot() const;

 private:
  std::string path_;
  std::string mounted_;
};

// A member file of `size` bytes: 50 bytes of head, then `payload` (cut to
// the payload's room), filler, and the 4-byte tail "TAIL".
std::string MemberBytes(std::uint64_t size, const std::string& payload = "");

}  // namespace mirlot

#endif  // MIRLOT_TESTS_FAULTS_SCRATCH_FOLDER_H_
