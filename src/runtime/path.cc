#include "runtime/path.h"

#include <climits>

namespace mirlot {

namespace {
constexpr char kSeparator = '/';
}  // namespace

std::string ParentFolder(const std::string& path) {
  const auto slash = path.find_last_of(kSeparator);
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string ResolveIn(const std::string& folder, const std::string& path) {
  if (path.empty() || path.front() == kSeparator || folder == ".") return path;
  if (!folder.empty() && folder.back() == kSeparator) return folder + path;
  return folder + kSeparator + path;
}

std::string LastComponent(const std::string& path) {
  const auto slash = path.find_last_of(kSeparator);
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace mirlot

namespace mirlot {

std::size_t LongestPathBytes() { return PATH_MAX; }

}  // namespace mirlot
