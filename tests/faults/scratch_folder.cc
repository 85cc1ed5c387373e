#include "faults/scratch_folder.h"

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
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

ScratchFolder::ScratchFolder() {
  const char* base = std::getenv("TMPDIR");
  std::string pattern = std::string(base ? base : "/tmp") + "/mirlot-XXXXXX";
  Require(::mkdtemp(pattern.data()) != nullptr, "mkdtemp");
  path_ = pattern;
  SetMode("", 0755);
}

ScratchFolder::~ScratchFolder() {
  if (!mounted_.empty()) ::umount2(mounted_.c_str(), MNT_DETACH);
  std::error_code ignored;
  for (const auto& entry : fs::recursive_directory_iterator(path_, ignored)) {
    if (entry.is_directory(ignored) && !entry.is_symlink(ignored)) {
      fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add,
                      ignored);
    }
  }
  fs::remove_all(path_, ignored);
}

std::string ScratchFolder::operator/(const std::string& relative) const {
  return relative.empty() ? path_ : path_ + "/" + relative;
}

void ScratchFolder::Write(const std::string& relative,
                          const std::string& content) const {
  const fs::path file = *this / relative;
  fs::create_directories(file.parent_path());
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  out.write(content.data(), static_cast<std::streamsize>(content.size()));
  Require(static_cast<bool>(out.flush()), "write " + file.string());
}

std::string ScratchFolder::Read(const std::string& relative) const {
  std::ifstream in(*this / relative, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void ScratchFolder::MakeFolder(const std::string& relative) const {
  fs::create_directories(*this / relative);
}

void ScratchFolder::MakePipe(const std::string& relative) const {
  Require(::mkfifo((*this / relative).c_str(), 0644) == 0, "mkfifo");
}

void ScratchFolder::MakeLink(const std::string& relative,
                             const std::string& target) const {
  fs::create_symlink(target, *this / relative);
}

void ScratchFolder::Resize(const std::string& relative,
                           std::uint64_t size) const {
  const std::string file = *this / relative;
  if (!fs::exists(file)) Write(relative, "");
  fs::resize_file(file, size);
}

void ScratchFolder::SetMode(const std::string& relative, unsigned mode) const {
  Require(::chmod((*this / relative).c_str(), mode) == 0, "chmod");
}

std::string ScratchFolder::Mount(const std::string& relative,
                                 std::uint64_t bytes) {
  MakeFolder(relative);
  const std::string target = *this / relative;
  const std::string options = "size=" + std::to_string(bytes) + ",mode=0755";
  if (::mount("tmpfs", target.c_str(), "tmpfs", 0, options.c_str()) != 0) {
    return std::strerror(errno);
  }
  mounted_ = target;
  return "";
}

FolderSnapshot ScratchFolder::Snapshot() const {
  FolderSnapshot snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(path_)) {
    snapshot[fs::relative(entry.path(), path_).string()] = Describe(entry);
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
