// A temporary folder with the means to make file-system faults in it: pipes,
// dangling links, sparse files, read-only folders, a small tmpfs.
#ifndef MIRLOT_TESTS_FAULTS_FAULT_FOLDER_H_
#define MIRLOT_TESTS_FAULTS_FAULT_FOLDER_H_

#include <cstdint>
#include <map>
#include <string>

#include "support/temp_folder.h"

namespace mirlot {

// What a folder tree holds: relative path -> "file:" + content for regular
// files up to 4 KiB, "file of N bytes, hash H" up to 1 MiB, "file of N
// bytes" beyond, "folder", "link to TARGET" or "special".
using FolderSnapshot = std::map<std::string, std::string>;

class FaultFolder : public TempFolder {
 public:
  // Makes the folder readable by every user, so that a test may run a
  // program as another user inside it.
  FaultFolder();
  // Unmounts what Mount() mounted and makes every folder writable again, so
  // that the whole tree can be removed.
  ~FaultFolder();

  void MakeFolder(const std::string& name) const;
  void MakePipe(const std::string& name) const;
  void MakeLink(const std::string& name, const std::string& target) const;
  // Creates or resizes a file to `size` bytes without writing them (sparse).
  void Resize(const std::string& name, std::uint64_t size) const;
  // Sets the permission bits of `name`.
  void SetMode(const std::string& name, unsigned mode) const;

  // Mounts a tmpfs of `bytes` at the new folder `name`.
  // On success returns "". On failure returns why (the errno text).
  std::string Mount(const std::string& name, std::uint64_t bytes);

  FolderSnapshot Snapshot() const;

 private:
  std::string mounted_;
};

// A member file of `size` bytes: 50 bytes of head, then `payload` (cut to
// the payload's room), filler, and the 4-byte tail "TAIL".
std::string MemberBytes(std::uint64_t size, const std::string& payload = "");

}  // namespace mirlot

#endif  // MIRLOT_TESTS_FAULTS_FAULT_FOLDER_H_
