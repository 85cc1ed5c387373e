#include "support/temp_folder.h"

#include <stdlib.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>

namespace mirlot {

namespace fs = std::filesystem;

fs::path TempFolder::MakeRoot(const fs::path& parent) {
  std::string pattern = parent / "mirlot-test-XXXXXX";
  const fs::path root = ::mkdtemp(pattern.data());
  fs::permissions(root,
                  fs::perms::group_read | fs::perms::group_exec |
                      fs::perms::others_read | fs::perms::others_exec,
                  fs::perm_options::add);
  return root;
}

void TempFolder::Unmount() {
  if (!mounted_.empty()) ::umount2(mounted_.c_str(), MNT_DETACH);
}

std::string TempFolder::Mount(const std::string& name, std::uint64_t bytes) {
  fs::create_directories(root_ / name);
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("tmpfs", Path(name).c_str(), "tmpfs", 0, options.c_str()) != 0) {
    return std::strerror(errno);
  }
  mounted_ = Path(name);
  return "";
}

}  // namespace mirlot
