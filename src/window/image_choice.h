// Which paths the window takes for an image rather than a list: a file
// named out.bin, a report.txt with an out.bin beside it, or the two dropped
// together. Any other file is a list, as before images could be opened.
#ifndef MIRLOT_WINDOW_IMAGE_CHOICE_H_
#define MIRLOT_WINDOW_IMAGE_CHOICE_H_

#include <optional>
#include <string>
#include <vector>

#include "runtime/file_system.h"

namespace mirlot {

// The image `path` names: `path` itself when its name is out.bin, the
// out.bin beside it when it is a report.txt with an out.bin beside it,
// else nothing. Names compare as the platform's file names do.
std::optional<std::string> ImageNamedBy(const std::string& path,
                                        FileSystem& file_system);

// The image that dropped `paths` name: one path ImageNamedBy takes, or an
// out.bin and the report.txt beside it, in either order.
std::optional<std::string> DroppedImage(const std::vector<std::string>& paths,
                                        FileSystem& file_system);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_IMAGE_CHOICE_H_
