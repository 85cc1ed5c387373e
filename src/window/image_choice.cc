#include "window/image_choice.h"

#include "format/output_names.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

bool Named(const std::string& path, const char* name) {
  return FileNameKey(LastComponent(path)) == FileNameKey(name);
}

}  // namespace

std::optional<std::string> ImageNamedBy(const std::string& path,
                                        FileSystem& file_system) {
  if (Named(path, kImageName)) return path;
  if (!Named(path, kReportName)) return std::nullopt;
  const std::string image = ResolveIn(ParentFolder(path), kImageName);
  Result<FileStatus> found = file_system.Stat(image);
  if (!found.ok() || found->kind != FileKind::kRegular) return std::nullopt;
  return image;
}

std::optional<std::string> DroppedImage(const std::vector<std::string>& paths,
                                        FileSystem& file_system) {
  if (paths.size() == 1) return ImageNamedBy(paths[0], file_system);
  if (paths.size() != 2 || ParentFolder(paths[0]) != ParentFolder(paths[1])) {
    return std::nullopt;
  }
  for (const std::string& image : paths) {
    const std::string& other = &image == &paths[0] ? paths[1] : paths[0];
    if (Named(image, kImageName) && Named(other, kReportName)) return image;
  }
  return std::nullopt;
}

}  // namespace mirlot
