#include "runtime/temporary_name.h"

#include <algorithm>
#include <random>

#include "runtime/path.h"

namespace mirlot {

namespace {

constexpr std::size_t kStemBytes = 200;
constexpr std::size_t kSuffixLength = 8;
constexpr std::string_view kSetAsideTail = "-old";
constexpr std::string_view kStemEnd = ".tmp-";
constexpr char kAlphabet[] =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

bool IsSuffixCharacter(char c) {
  return std::find(std::begin(kAlphabet), std::end(kAlphabet) - 1, c) !=
         std::end(kAlphabet) - 1;
}

}  // namespace

std::string TemporaryName(std::string_view final_name,
                          std::string_view suffix) {
  std::string name = ".";
  name.append(final_name.substr(0, kStemBytes));
  name.append(kStemEnd);
  name.append(suffix);
  return name;
}

std::string RandomTemporarySuffix() {
  static thread_local std::mt19937_64 generator{std::random_device{}()};
  std::string suffix(kSuffixLength, ' ');
  for (char& c : suffix) c = kAlphabet[generator() % (sizeof kAlphabet - 1)];
  return suffix;
}

std::string SetAsideName(std::string_view temporary_name) {
  return std::string(temporary_name).append(kSetAsideTail);
}

bool IsTemporaryNameFor(std::string_view name, std::string_view final_name) {
  if (name.ends_with(kSetAsideTail)) name.remove_suffix(kSetAsideTail.size());
  return IsTemporaryNameOf(name, final_name);
}

bool IsTemporaryNameForAny(std::string_view name,
                           std::span<const std::string_view> final_names) {
  return std::ranges::any_of(final_names, [name](std::string_view final_name) {
    return IsPlainName(final_name) && IsTemporaryNameFor(name, final_name);
  });
}

bool IsTemporaryNameOf(std::string_view name, std::string_view final_name) {
  const std::string stem = TemporaryName(final_name, "");
  if (name.size() != stem.size() + kSuffixLength) return false;
  return FileNameKey(name.substr(0, stem.size())) == FileNameKey(stem) &&
         std::all_of(name.begin() + static_cast<std::ptrdiff_t>(stem.size()),
                     name.end(), IsSuffixCharacter);
}

bool IsTemporaryName(std::string_view name) {
  // The fixed parts are ASCII: the bytes at their places are compared as
  // the file system compares names. Either case is a suffix character.
  const auto ends_with = [&name](std::string_view tail) {
    return name.size() >= tail.size() &&
           FileNameKey(name.substr(name.size() - tail.size())) ==
               FileNameKey(tail);
  };
  if (ends_with(kSetAsideTail)) name.remove_suffix(kSetAsideTail.size());
  const std::size_t fixed = 1 + kStemEnd.size() + kSuffixLength;
  if (!name.starts_with('.') || name.size() < fixed ||
      name.size() > fixed + kStemBytes) {
    return false;
  }
  const std::string_view suffix = name.substr(name.size() - kSuffixLength);
  name.remove_suffix(kSuffixLength);
  return ends_with(kStemEnd) &&
         std::all_of(suffix.begin(), suffix.end(), IsSuffixCharacter);
}

}  // namespace mirlot
