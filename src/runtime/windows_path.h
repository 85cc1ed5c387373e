// Path rules only the Windows runtime needs. Windows only.
#ifndef MIRLOT_RUNTIME_WINDOWS_PATH_H_
#define MIRLOT_RUNTIME_WINDOWS_PATH_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace mirlot {

// From this length on, paths are handed to the system in their extended
// form: folders cannot be created under longer plain paths (248 = 260 less
// room for an 8.3 name).
inline constexpr std::size_t kLongPathLength = 248;

// The longest path Windows can name, in UTF-16 units.
inline constexpr std::size_t kLongestPath = 32767;

// True when the component `name` names a device rather than a file: NUL,
// CON, PRN, AUX, COM1-COM9, LPT1-LPT9, CONIN$, CONOUT$, whatever its
// extension and letter case ("nul.txt", "Com1 .log").
bool IsDeviceName(std::string_view name);

// True for a path no Win32 call can take: one with a NUL, or longer than
// any path Windows can name (52, as Linux says for a name too long).
bool CannotName(const std::string& path);

// True when `path` names a device rather than a file (IsDeviceName, or a
// \\.\ path): opening it could block (CON) or reach hardware, so such
// names are never opened.
bool NamesDevice(const std::string& path);

// `path` (UTF-8) as the wide path for Win32 calls. A path shorter than
// kLongPathLength stays as it is, for Windows' usual normalisation; a longer
// one is made absolute and normalised, then given the \\?\ (or \\?\UNC\)
// prefix that lifts the 260-character limit.
std::wstring SystemPath(const std::string& path);

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_WINDOWS_PATH_H_
