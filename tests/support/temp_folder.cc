#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <random>

namespace mirlot {

namespace fs = std::filesystem;

namespace {

// Files over this size are refused on every host: a test that reads a file of
// any size into memory would otherwise fail only in a 32-bit process (about 2
// GiB), and pass unnoticed where none runs.
constexpr std::uintmax_t kMaxRead = 4 << 20;

std::string ReadFile(const fs::path& path) {
  std::error_code error;
  if (const auto size = fs::file_size(path, error); !error && size > kMaxRead) {
    ADD_FAILURE() << "a test reads " << path << " (" << size
                  << " bytes) into memory; over 4 MiB it may not fit";
    return "";
  }
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Utf8(const std::u8string& text) {
  return std::string(text.begin(), text.end());
}

std::string Describe(const fs::directory_entry& entry) {
  if (entry.is_symlink()) return "link";
  if (entry.is_directory()) return "folder";
  return entry.is_regular_file() ? "file:" + ReadFile(entry.path()) : "special";
}

}  // namespace

TempFolder::TempFolder(const fs::path& parent) {
  std::random_device random;
  do {
    root_ = parent / ("mirlot-test-" + std::to_string(random()));
  } while (!fs::create_directory(root_));
  fs::permissions(root_, fs::perms::others_read | fs::perms::others_exec,
                  fs::perm_options::add);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::remove_all(root_, ignored);
}

fs::path TempFolder::Native(const std::string& name) const {
  return root_ / fs::path(std::u8string(name.begin(), name.end()));
}

std::string TempFolder::Path(const std::string& name) const {
  return Utf8(Native(name).u8string());
}

void TempFolder::Write(const std::string& name,
                       const std::string& content) const {
  fs::create_directories(Native(name).parent_path());
  std::ofstream(Native(name), std::ios::binary) << content;
}

std::string TempFolder::Read(const std::string& name) const {
  return ReadFile(Native(name));
}

FolderSnapshot TempFolder::Snapshot() const {
  FolderSnapshot snapshot;
  for (const auto& entry : fs::recursive_directory_iterator(root_)) {
    snapshot[Utf8(fs::relative(entry.path(), root_).generic_u8string())] =
        Describe(entry);
  }
  return snapshot;
}

}  // namespace mirlot
