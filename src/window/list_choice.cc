#include "window/list_choice.h"

#include <utility>

#include "runtime/path.h"

namespace mirlot {

std::string ListChoice::ChooserFolder() const {
  return chosen_ ? ParentFolder(path_) : std::string();
}

void ListChoice::Choose(std::string path) {
  path_ = std::move(path);
  chosen_ = true;
}

bool ListChoice::Offer(const std::vector<std::string>& paths,
                       FileSystem& file_system) {
  if (paths.size() != 1) return false;
  // A path that cannot be looked up is still taken, as the chooser would
  // take it: Start then says what is wrong with it.
  const Result<FileStatus> status = file_system.Stat(paths.front());
  if (status.ok() && status.value().kind == FileKind::kDirectory) return false;
  Choose(paths.front());
  return true;
}

std::optional<std::string> ListChoice::OfferArgument(const std::string& path,
                                                     FileSystem& file_system) {
  const Result<FileStatus> status = file_system.Stat(path);
  std::string reason;
  if (status.ok()) {
    if (status.value().kind != FileKind::kDirectory) {
      Choose(path);
      return std::nullopt;
    }
    reason = "it is a folder";
  } else if (status.status().Is(FailureCode::kFileNotFound) ||
             status.status().Is(FailureCode::kPathNotFound)) {
    reason = "no such file";
  } else {
    reason = status.status().description();
  }
  return "Cannot choose " + path + " as the list: " + reason;
}

}  // namespace mirlot
