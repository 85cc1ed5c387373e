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

std::string PathFromListField(std::string_view field) {
  return std::string(field);
}

bool PlatformHoldsName(std::string_view) { return true; }

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("/\0", 2)) ==
             std::string_view::npos;
}

std::string FileNameKey(std::string_view name) { return std::string(name); }

std::size_t LongestPathBytes() { return PATH_MAX; }

}  // namespace mirlot
