#include "runtime/path.h"

#include <windows.h>

#include <array>

#include "runtime/text.h"
#include "runtime/windows_path.h"
#include "runtime/windows_text.h"

namespace mirlot {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

bool IsLetter(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool HasDrive(std::string_view path) {
  return path.size() >= 2 && IsLetter(path[0]) && path[1] == ':';
}

char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// The length of the part of `path` before its first component: "C:\" 3,
// "C:" 2, "\" 1, "\\server\share\" up to the share's separator, "\\?\C:\"
// 7, 0 for a relative path.
std::size_t RootLength(std::string_view path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t start = 2;
    // \\?\C:\ and \\.\C:\ name a drive; \\?\UNC\server\share a share.
    if (path.size() >= 4 && (path[2] == '?' || path[2] == '.') &&
        IsSeparator(path[3])) {
      start = 4;
      std::string_view rest = path.substr(4);
      if (HasDrive(rest)) {
        return rest.size() >= 3 && IsSeparator(rest[2]) ? 7 : 6;
      }
      if (rest.size() >= 4 && Upper(rest[0]) == 'U' && Upper(rest[1]) == 'N' &&
          Upper(rest[2]) == 'C' && IsSeparator(rest[3])) {
        start = 8;
      }
    }
    // server, then share
    std::size_t end = start;
    for (int part = 0; part < 2 && end <= path.size(); ++part) {
      while (end < path.size() && !IsSeparator(path[end])) ++end;
      if (part == 0 && end < path.size()) ++end;
    }
    return end < path.size() ? end + 1 : path.size();
  }
  if (HasDrive(path)) return path.size() >= 3 && IsSeparator(path[2]) ? 3 : 2;
  if (!path.empty() && IsSeparator(path[0])) return 1;
  return 0;
}

// The drive or share of an absolute `folder` without a final separator
// ("C:", "\\server\share"), or "" when `folder` is relative.
std::string_view RootOf(std::string_view folder) {
  const std::size_t length = RootLength(folder);
  if (length <= 1) return {};
  std::string_view root = folder.substr(0, length);
  if (IsSeparator(root.back())) root.remove_suffix(1);
  return root;
}

// `folder` and `name` joined with the separator `folder` uses, "/" when it
// has none ("d" and "x" give "d/x", as "d/x" gives "d"): the system takes
// both.
std::string Join(const std::string& folder, std::string_view name) {
  if (folder.empty()) return std::string(name);
  if (IsSeparator(folder.back()) || folder.back() == ':') {
    return folder + std::string(name);
  }
  const auto last = folder.find_last_of("\\/");
  const char separator = last == std::string::npos ? '/' : folder[last];
  return folder + separator + std::string(name);
}

// The part of a name that says whether it is a device: before its first
// dot, without trailing spaces ("nul .txt" is NUL).
std::string DeviceStem(std::string_view name) {
  std::string stem(name.substr(0, name.find('.')));
  stem.erase(stem.find_last_not_of(' ') + 1);
  for (char& c : stem) c = Upper(c);
  return stem;
}

}  // namespace

std::string ParentFolder(const std::string& path) {
  const std::size_t root = RootLength(path);
  const auto last = path.find_last_of("\\/");
  if (last == std::string::npos || last < root) {
    return root > 0 ? path.substr(0, root) : ".";
  }
  return path.substr(0, last);
}

std::string ResolveIn(const std::string& folder, const std::string& path) {
  if (path.empty() || folder == ".") return path;
  const std::size_t root = RootLength(path);
  if (root >= 3 || (root == 2 && IsSeparator(path[0]))) return path;
  if (root == 1) return std::string(RootOf(folder)) + path;
  if (root == 2) {  // D:x
    if (!HasDrive(folder) || Upper(folder[0]) != Upper(path[0])) return path;
    return Join(folder, std::string_view(path).substr(2));
  }
  return Join(folder, path);
}

std::string LastComponent(const std::string& path) {
  const auto last = path.find_last_of("\\/");
  if (last != std::string::npos) return path.substr(last + 1);
  return HasDrive(path) ? path.substr(2) : path;
}

std::string PathFromListField(std::string_view field) {
  if (IsValidUtf8(field)) return std::string(field);
  return DecodeInCodePage(field, ::GetACP());
}

bool IsDeviceName(std::string_view name) {
  static constexpr std::array<std::string_view, 8> kDevices = {
      "CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "COM", "LPT"};
  const std::string stem = DeviceStem(name);
  for (std::size_t i = 0; i < 6; ++i) {
    if (stem == kDevices[i]) return true;
  }
  // COM1-COM9, LPT1-LPT9, and with a superscript digit ¹ ² ³ too.
  for (std::string_view port : {kDevices[6], kDevices[7]}) {
    if (!stem.starts_with(port)) continue;
    const std::string_view digit = std::string_view(stem).substr(3);
    if (digit.size() == 1 && digit[0] >= '1' && digit[0] <= '9') return true;
    if (digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3") {
      return true;
    }
  }
  return false;
}

bool PlatformHoldsName(std::string_view name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  if (name.find_first_of("<>:\"|?*\\/") != std::string_view::npos) return false;
  return !IsDeviceName(name);
}

bool IsPlainName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string_view("\\/:\0", 4)) ==
             std::string_view::npos &&
         !IsDeviceName(name);
}

std::string FileNameKey(std::string_view name) { return UpperCase(name); }

// A path holds at most 32,767 UTF-16 units, and each comes from at most
// three bytes of a list field (UTF-8) or one (the ANSI code page).
std::size_t LongestPathBytes() { return 3 * kLongestPath; }

bool CannotName(const std::string& path) {
  if (path.find('\0') != std::string::npos) return true;
  return path.size() > kLongestPath && Widen(path).size() > kLongestPath;
}

bool NamesDevice(const std::string& path) {
  return IsDeviceName(LastComponent(path)) || path.starts_with(R"(\\.\)") ||
         path.starts_with("//./");
}

namespace {

// `wide` completed by the system (GetFullPathNameW): joined to the current
// folder or drive, "." and ".." resolved, '/' made '\\'. Empty when the
// system cannot complete it.
std::wstring FullPath(const std::wstring& wide) {
  const DWORD size = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (size == 0) return {};
  std::wstring full(size, L'\0');
  const DWORD length =
      ::GetFullPathNameW(wide.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return {};
  full.resize(length);
  return full;
}

}  // namespace

std::string AbsolutePath(const std::string& path) {
  if (!path.empty() && (path.front() == '/' || path.front() == '\\')) {
    return path;
  }
  if (path.size() > 2 && path[1] == ':' &&
      (path[2] == '/' || path[2] == '\\')) {
    return path;
  }
  const std::wstring full = FullPath(Widen(path));
  return full.empty() ? path : Narrow(full);
}

std::wstring SystemPath(const std::string& path) {
  std::wstring wide = Widen(path);
  if (wide.size() < kLongPathLength || wide.starts_with(LR"(\\?\)")) {
    return wide;
  }
  const std::wstring full = FullPath(wide);
  if (full.empty()) return wide;
  if (full.starts_with(LR"(\\.\)")) return full;  // a device: as it is
  if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + full.substr(2);
  return LR"(\\?\)" + full;
}

}  // namespace mirlot
