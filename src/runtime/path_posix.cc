#include "runtime/path.h"

#include <unistd.h>

#include <algorithm>
#include <climits>
#include <string_view>
#include <vector>

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

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && path.front() == kSeparator) return path;
  std::vector<char> current(PATH_MAX);
  if (::getcwd(current.data(), current.size()) == nullptr) return path;
  const std::string joined = std::string(current.data()) + kSeparator + path;
  std::string absolute;
  std::size_t start = 0;
  while (start < joined.size()) {
    const std::size_t end =
        std::min(joined.find(kSeparator, start), joined.size());
    const std::string_view part(joined.data() + start, end - start);
    if (!part.empty() && part != ".") {
      absolute += kSeparator;
      absolute += part;
    }
    start = end + 1;
  }
  return absolute.empty() ? std::string(1, kSeparator) : absolute;
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
