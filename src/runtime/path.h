// Path text rules of the host platform.
#ifndef MIRLOT_RUNTIME_PATH_H_
#define MIRLOT_RUNTIME_PATH_H_

#include <cstddef>
#include <string>

namespace mirlot {

// The folder that holds `path`: "." for a bare name, "/" for a file in the
// root folder.
std::string ParentFolder(const std::string& path);

// `path` as seen from `folder`: an absolute or empty path stays as it is; a
// relative one is placed under `folder`.
std::string ResolveIn(const std::string& folder, const std::string& path);

// The last component of `path` (after its last separator).
std::string LastComponent(const std::string& path);

// The length in bytes of the longest path the platform accepts.
std::size_t LongestPathBytes();

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_PATH_H_
