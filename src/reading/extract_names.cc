// The names extracted payloads get: a report's name when it is safe to use, a
// numbered name otherwise.
#include "reading/extract_names.h"

#include <cstdio>
#include <unordered_set>

#include "runtime/path.h"
#include "runtime/reserved_names.h"

namespace mirlot {

namespace {

constexpr std::size_t kMaximumNameLength = 255;

bool IsControl(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte < 0x20 || byte == 0x7F;
}

// True when `name` holds a control character: C0, DEL, or a C1 control
// (U+0080 to U+009F, the UTF-8 bytes C2 80 to C2 9F).
bool HasControl(std::string_view name) {
  for (std::size_t i = 0; i < name.size(); ++i) {
    if (IsControl(name[i])) return true;
    if (static_cast<unsigned char>(name[i]) == 0xC2 && i + 1 < name.size() &&
        static_cast<unsigned char>(name[i + 1]) < 0xA0 &&
        static_cast<unsigned char>(name[i + 1]) >= 0x80) {
      return true;
    }
  }
  return false;
}

std::string NumberedName(std::uint64_t number, std::uint64_t variant) {
  char text[64];  // room for two 20-digit numbers
  if (variant < 2) {
    std::snprintf(text, sizeof text, "entry-%04llu.bin",
                  static_cast<unsigned long long>(number));
  } else {
    std::snprintf(text, sizeof text, "entry-%04llu-%llu.bin",
                  static_cast<unsigned long long>(number),
                  static_cast<unsigned long long>(variant));
  }
  return text;
}

}  // namespace

std::string NumberedName(std::uint64_t number) {
  return NumberedName(number, 0);
}

std::optional<std::string> SafeFileName(std::string_view report_name) {
  const std::size_t separator = report_name.find_last_of("/\\");
  if (separator != std::string_view::npos) {
    report_name.remove_prefix(separator + 1);
  }
  if (report_name.empty() || report_name == "." || report_name == ".." ||
      report_name.size() > kMaximumNameLength) {
    return std::nullopt;
  }
  if (HasControl(report_name)) return std::nullopt;
  if (!PlatformHoldsName(report_name) || IsReservedName(report_name)) {
    return std::nullopt;
  }
  return std::string(report_name);
}

ExtractNames::ExtractNames(const std::vector<std::string>& report_names) {
  std::unordered_set<std::string> taken;
  names_.resize(report_names.size());
  for (std::size_t k = 0; k < report_names.size(); ++k) {
    std::optional<std::string> name = SafeFileName(report_names[k]);
    if (name && taken.insert(FileNameKey(*name)).second) {
      names_[k] = std::move(*name);
    }
  }
  for (std::size_t k = 0; k < names_.size(); ++k) {
    if (!names_[k].empty()) continue;
    std::string name = NumberedName(k + 1);
    for (std::uint64_t variant = 2; !taken.insert(FileNameKey(name)).second;
         ++variant) {
      name = NumberedName(k + 1, variant);
    }
    names_[k] = std::move(name);
  }
}

std::string ExtractNames::NameOf(std::uint64_t index) const {
  return index < names_.size() ? names_[index] : NumberedName(index + 1);
}

}  // namespace mirlot
