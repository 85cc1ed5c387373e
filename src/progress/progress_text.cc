#include "progress/progress_text.h"

#include <cstdint>

namespace mirlot {

namespace {

struct Unit {
  const char* name;
  std::uint64_t bytes;
};
constexpr Unit kUnits[] = {{"GiB", std::uint64_t{1} << 30},
                           {"MiB", std::uint64_t{1} << 20},
                           {"KiB", std::uint64_t{1} << 10}};
constexpr Unit kBytes = {"B", 1};

// `bytes` in `unit`, rounded to the nearest, with one decimal when
// `decimal`.
std::string InUnit(std::uint64_t bytes, const Unit& unit, bool decimal) {
  if (!decimal) return std::to_string((bytes + unit.bytes / 2) / unit.bytes);
  const std::uint64_t tenths = (bytes * 10 + unit.bytes / 2) / unit.bytes;
  return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10);
}

// "714 of 999 MiB": both in the unit of the total.
std::string Amounts(std::uint64_t done, std::uint64_t total) {
  const Unit* unit = &kBytes;
  for (const Unit& larger : kUnits) {
    if (total >= larger.bytes) {
      unit = &larger;
      break;
    }
  }
  const bool decimal = unit != &kBytes && total < 10 * unit->bytes;
  return InUnit(done, *unit, decimal) + " of " + InUnit(total, *unit, decimal) +
         " " + unit->name;
}

// "about 8 s left", "about 3 min left", "about 1 h 5 min left".
std::string TimeLeftText(std::chrono::seconds left) {
  const std::int64_t seconds = left.count();
  if (seconds < 60) return "about " + std::to_string(seconds) + " s left";
  const std::int64_t minutes = (seconds + 30) / 60;
  if (minutes < 60) return "about " + std::to_string(minutes) + " min left";
  return "about " + std::to_string(minutes / 60) + " h " +
         std::to_string(minutes % 60) + " min left";
}

}  // namespace

std::string ProgressText(const CopyProgress& progress,
                         std::optional<std::chrono::seconds> left,
                         std::string_view doing) {
  std::string text = std::string(doing) + " " +
                     std::to_string(progress.files_done) + " of " +
                     std::to_string(progress.files_total) +
                     (progress.files_total == 1 ? " file: " : " files: ") +
                     Amounts(progress.bytes_done, progress.bytes_total) + " (" +
                     std::to_string(ProgressPermille(progress) / 10) + "%)";
  if (left) text += ", " + TimeLeftText(*left);
  return text;
}

int ProgressPermille(const CopyProgress& progress) {
  const auto permille = [](std::uint64_t done, std::uint64_t total) {
    return done >= total ? 1000 : static_cast<int>(done * 1000 / total);
  };
  if (progress.bytes_total > 0) {
    return permille(progress.bytes_done, progress.bytes_total);
  }
  if (progress.files_total > 0) {
    return permille(progress.files_done, progress.files_total);
  }
  return 1000;
}

}  // namespace mirlot
