#include "faults/fault_folder.h"

#include <sys/mount.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <stdexcept>

namespace mirlot {

namespace fs = std::filesystem;

namespace {

// Up to this size a file's content is kept as it is; up to the next, as a
// hash; beyond, only its size (the sparse members of several GiB).
constexpr std::uint64_t kLargestShownContent = 4096;
constexpr std::uint64_t kLargestHashedContent = 1 << 20;

void Require(bool holds, const std::string& what) {
  if (!holds) throw std::runtime_error(what + ": " + std::strerror(errno));
}

std::string Describe(const fs::directory_entry& entry) {
  const fs::file_status status = entry.symlink_status();
  if (fs::is_symlink(status)) {
    return "link to " + fs::read_symlink(entry.path()).string();
  }
  if (fs::is_directory(status)) return "folder";
  if (!fs::is_regular_file(status)) return "special";
  const std::uintmax_t size = fs::file_size(entry.path());
  const std::string described = "file of " + std::to_string(size) + " bytes";
  if (size > kLargestHashedContent) return described;
  std::ifstream in(entry.path(), std::ios::binary);
  const std::string content(std::istreambuf_iterator<char>(in), {});
  if (size > kLargestShownContent) {
    return described + ", hash " +
           std::to_string(std::hash<std::string>{}(content));
  }
  return "file:" + content;
}

}  // namespace

FaultFolder::FaultFolder() { SetMode("", 0755); }

FaultFolder::~FaultFolder() {
  if (!mounted_.empty()) ::umount2(mounted_.c_str(), MNT_DETACH);
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(root(), ignored)) {
    if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add,
                      ignored);
    }
  }
}

void FaultFolder::MakeFolder(const std::string& name) const {
  fs::create_directories(Path(name));
}

void FaultFolder::MakePipe(const std::string& name) const {
  Require(::mkfifo(Path(name).c_str(), 0644) == 0, "mkfifo " + name);
}

void FaultFolder::MakeLink(const std::string& name,
                           const std::string& target) const {
  fs::create_symlink(target, Path(name));
}

void FaultFolder::Resize(const std::string& name, std::uint64_t size) const {
  if (!fs::exists(Path(name))) Write(name, "");
  fs::resize_file(Path(name), size);
}

void FaultFolder::SetMode(const std::string& name, unsigned mode) const {
  Require(::chmod(Path(name).c_str(), mode) == 0, "chmod " + name);
}

std::string FaultFolder::Mount(const std::string& name, std::uint64_t bytes) {
  MakeFolder(name);
  const std::string target = Path(name);
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("tmpfs", target.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    return std::strerror(errno);
  }
  mounted_ = target;
  return "";
}

FolderSnapshot FaultFolder::Snapshot() const {
  FolderSnapshot snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(root())) {
    snapshot[fs::relative(entry.path(), root()).string()] = Describe(entry);
  }
  return snapshot;
}

std::string MemberBytes(std::uint64_t size, const std::string& payload) {
  std::string bytes(size, '.');
  std::fill_n(bytes.begin(), std::min<std::uint64_t>(size, 50), 'H');
  if (size < 54) return bytes;
  bytes.replace(size - 4, 4, "TAIL");
  bytes.replace(50, std::min<std::uint64_t>(payload.size(), size - 54),
                payload);
  return bytes;
}

}  // namespace mirlot
