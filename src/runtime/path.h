// Path and file-name rules of the host platform.
#ifndef MIRLOT_RUNTIME_PATH_H_
#define MIRLOT_RUNTIME_PATH_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace mirlot {

// The folder that holds `path`: "." for a bare name, the root itself for a
// file in a root folder ("/" here, "C:\" or "\\server\share\" on Windows).
std::string ParentFolder(const std::string& path);

// `path` as seen from `folder`: an absolute or empty path stays as it is; a
// relative one is placed under `folder`. On Windows a root-relative path
// ("\x") goes under the root of `folder`'s drive or share, and "D:x" under
// `folder` when `folder` is on drive D:.
std::string ResolveIn(const std::string& folder, const std::string& path);

// `path` as an absolute path, to name a folder in a message: a relative
// one is placed under the current folder, its "." components dropped (on
// Windows as the system completes a path, "D:x" on drive D: too). A path
// that starts at a root or a separator stays as it is, as does `path` when
// the current folder cannot be known. Nothing is looked up.
std::string AbsolutePath(const std::string& path);

// The folder `folder` ("" for the current one) as messages name it: its
// absolute path, so that no message says "in .".
inline std::string FolderName(const std::string& folder) {
  return AbsolutePath(folder.empty() ? "." : folder);
}

// The last component of `path` (after its last separator).
std::string LastComponent(const std::string& path);

// The length in bytes of the longest path the platform accepts.
std::size_t LongestPathBytes();

// The path that a list field (its bytes as the list holds them) names, as
// UTF-8 on Windows: a field that is valid UTF-8 is taken as it is, any other
// is read in the system's ANSI code page. Elsewhere the bytes themselves.
std::string PathFromListField(std::string_view field);

// True when a file of its own can carry the name `name` (one component) on
// this platform. On Windows not: reserved characters <>:"|?*, a trailing
// dot or space, a device name ("CON", "nul.txt").
bool PlatformHoldsName(std::string_view name);

// True when `name` can only mean an entry of the folder it is looked up in:
// not empty, not "." or "..", without a separator or a NUL byte, and on
// Windows also without ':' (a drive or a stream) and not a device name.
// Every name a Folder takes must be one.
bool IsPlainName(std::string_view name);

// Equal for two names exactly when they name the same file in one folder:
// the name itself here, a case-folded form on Windows ("dup" and "DUP").
std::string FileNameKey(std::string_view name);

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_PATH_H_
