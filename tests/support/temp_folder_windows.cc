#include "support/temp_folder.h"

#include <random>

namespace mirlot {

namespace fs = std::filesystem;

fs::path TempFolder::MakeRoot(const fs::path& parent) {
  std::random_device random;
  for (;;) {
    const fs::path root = parent / ("mirlot-test-" + std::to_string(random()));
    if (fs::create_directory(root)) return root;
  }
}

void TempFolder::Unmount() {}

std::string TempFolder::Mount(const std::string&, std::uint64_t) {
  return "a Windows process cannot mount a file system";
}

}  // namespace mirlot
