#include "support/temp_folder.h"

#include <stdlib.h>
#include <sys/mount.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

namespace mirlot {

namespace fs = std::filesystem;

namespace {

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Describe(const fs::directory_entry& entry) {
  const fs::file_status status = entry.symlink_status();
  if (fs::is_symlink(status)) {
    return "link to " + fs::read_symlink(entry.path()).string();
  }
  if (fs::is_directory(status)) return "folder";
  if (!fs::is_regular_file(status)) return "special";
  const std::uintmax_t size = fs::file_size(entry.path());
  if (size <= 4096) return "file:" + ReadFile(entry.path());
  const std::string described = std::to_string(size) + " bytes";
  if (size > (1u << 20)) return described;
  return described + ", hash " +
         std::to_string(std::hash<std::string>{}(ReadFile(entry.path())));
}

}  // namespace

TempFolder::TempFolder() {
  std::string pattern = fs::temp_directory_path() / "mirlot-test-XXXXXX";
  root_ = ::mkdtemp(pattern.data());
  fs::permissions(root_,
                  fs::perms::group_read | fs::perms::group_exec |
                      fs::perms::others_read | fs::perms::others_exec,
                  fs::perm_options::add);
}

TempFolder::~TempFolder() {
  if (!mounted_.empty()) ::umount2(mounted_.c_str(), MNT_DETACH);
  std::error_code ignored;
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
  for (const auto& entry : fs::recursive_directory_iterator(root_, ignored)) {
    if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add,
                      ignored);
    }
  }
  fs::remove_all(root_, ignored);
}

std::string TempFolder::Path(const std::string& name) const {
  return (root_ / name).string();
}

void TempFolder::Write(const std::string& name,
                       const std::string& content) const {
  fs::create_directories((root_ / name).parent_path());
  std::ofstream(root_ / name, std::ios::binary) << content;
}

std::string TempFolder::Read(const std::string& name) const {
  return ReadFile(root_ / name);
}

FolderSnapshot TempFolder::Snapshot() const {
  FolderSnapshot snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(root_)) {
    snapshot[fs::relative(entry.path(), root_).string()] = Describe(entry);
  }
  return snapshot;
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
