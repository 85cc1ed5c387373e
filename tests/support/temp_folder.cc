#include "support/temp_folder.h"

#include <stdlib.h>

#include <fstream>
#include <iterator>

namespace mirlot {

namespace fs = std::filesystem;

TempFolder::TempFolder() {
  std::string pattern = (fs::temp_directory_path() / "mirlot-test-XXXXXX");
  root_ = ::mkdtemp(pattern.data());
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  fs::permissions(root_, fs::perms::owner_all, fs::perm_options::add, ignored);
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
  std::ifstream in(root_ / name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace mirlot
