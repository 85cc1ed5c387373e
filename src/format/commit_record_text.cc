// Writing and reading the commit record's text.
#include "format/commit_record_text.h"

#include <algorithm>
#include <charconv>

#include "format/content_checksum.h"

namespace mirlot {

namespace {

constexpr std::string_view kHeading = "mirlot commit 2\n";
constexpr std::string_view kCheckLead = "check ";
constexpr std::string_view kNone = "none";
constexpr std::string_view kHeadingVersion1 = "mirlot commit 1";
constexpr std::string_view kEndVersion1 = "end";
constexpr std::size_t kHexDigits = 16;

std::string Hex(std::uint64_t value) {
  std::string text(kHexDigits, '0');
  for (std::size_t i = kHexDigits; i-- > 0; value >>= 4) {
    text[i] = "0123456789abcdef"[value & 0xF];
  }
  return text;
}

// `text` split into its fields at single spaces, each a number of `base`;
// nullopt unless it holds exactly `count` of them.
std::optional<std::vector<std::uint64_t>> Numbers(std::string_view text,
                                                  std::size_t count,
                                                  int base = 10) {
  std::vector<std::uint64_t> numbers;
  const char* at = text.data();
  const char* const end = text.data() + text.size();
  while (numbers.size() < count) {
    if (!numbers.empty() && (at == end || *at++ != ' ')) return std::nullopt;
    // A sign, a leading blank or a "0x" would also be taken by no writer.
    if (at == end || *at == '-' || *at == '+') return std::nullopt;
    std::uint64_t value = 0;
    const auto [next, error] = std::from_chars(at, end, value, base);
    if (error != std::errc()) return std::nullopt;
    numbers.push_back(value);
    at = next;
  }
  if (at != end) return std::nullopt;
  return numbers;
}

// The lines of `text`, which must end with a line end.
std::optional<std::vector<std::string_view>> Lines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    lines.push_back(text.substr(0, end));
    text.remove_prefix(end + 1);
  }
  return lines;
}

// The moves of the four-line groups in `lines`; the line of the earlier
// file is "none" or its size, that of the new one as `fresh` reads it.
template <typename ReadFresh>
std::optional<std::vector<RecordedMove>> Moves(
    std::span<const std::string_view> lines, std::size_t former_fields,
    ReadFresh fresh) {
  if (lines.size() % 4 != 0) return std::nullopt;
  std::vector<RecordedMove> moves;
  for (std::size_t i = 0; i < lines.size(); i += 4) {
    RecordedMove move;
    move.from = lines[i];
    move.to = lines[i + 1];
    if (lines[i + 2] != kNone) {
      auto former = Numbers(lines[i + 2], former_fields);
      if (!former) return std::nullopt;
      move.former_size = (*former)[0];
    }
    if (!fresh(lines[i + 3], move)) return std::nullopt;
    moves.push_back(std::move(move));
  }
  return moves;
}

DecodedRecord Version2(std::string_view body) {
  auto lines = Lines(body.substr(kHeading.size()));
  if (!lines) return {};
  auto moves = Moves(*lines, 1, [](std::string_view line, RecordedMove& move) {
    const std::size_t space = line.find(' ');
    if (space == std::string_view::npos) return false;
    auto size = Numbers(line.substr(0, space), 1);
    auto sum = Numbers(line.substr(space + 1), 1, 16);
    if (!size || !sum || line.size() - space - 1 != kHexDigits) return false;
    move.fresh_size = (*size)[0];
    move.fresh_checksum = (*sum)[0];
    return true;
  });
  if (!moves || moves->empty()) return {};
  return {RecordText::kWhole, std::move(*moves)};
}

DecodedRecord Version1(std::string_view text) {
  auto lines = Lines(text);
  if (!lines || lines->size() < 2 || lines->front() != kHeadingVersion1 ||
      lines->back() != kEndVersion1) {
    return {};
  }
  auto moves = Moves(std::span(*lines).subspan(1, lines->size() - 2), 3,
                     [](std::string_view line, RecordedMove& move) {
                       auto fresh = Numbers(line, 3);
                       if (fresh) move.fresh_size = (*fresh)[0];
                       return fresh.has_value();
                     });
  if (!moves || moves->empty()) return {};
  return {RecordText::kWhole, std::move(*moves)};
}

// True for what a crash may leave of a record being written: nothing, the
// start of its text, or its text followed by bytes never written (zeros,
// or whatever the disk held).
bool CutShort(std::string_view text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return c == 0; })) {
    return true;
  }
  return kHeading.starts_with(text) || text.starts_with(kHeading);
}

}  // namespace

std::string EncodeCommitRecord(std::span<const RecordedMove> moves) {
  std::string text(kHeading);
  for (const RecordedMove& move : moves) {
    text += move.from + "\n" + move.to + "\n";
    text += move.former_size ? std::to_string(*move.former_size)
                             : std::string(kNone);
    text += "\n" + std::to_string(move.fresh_size) + " " +
            Hex(move.fresh_checksum.value_or(0)) + "\n";
  }
  return text + std::string(kCheckLead) + Hex(ChecksumOf(text)) + "\n";
}

DecodedRecord DecodeCommitRecord(std::string_view text) {
  if (text.starts_with(kHeadingVersion1)) return Version1(text);
  // The check line: its lead, sixteen digits and the line end.
  const std::size_t check_size = kCheckLead.size() + kHexDigits + 1;
  if (text.size() >= kHeading.size() + check_size && text.ends_with('\n')) {
    const std::string_view body = text.substr(0, text.size() - check_size);
    const std::string_view check = text.substr(body.size());
    auto sum = Numbers(check.substr(kCheckLead.size(), kHexDigits), 1, 16);
    if (body.starts_with(kHeading) && check.starts_with(kCheckLead) &&
        (body.empty() || body.back() == '\n') && sum &&
        (*sum)[0] == ChecksumOf(body)) {
      return Version2(body);
    }
  }
  if (CutShort(text)) return {RecordText::kIncomplete, {}};
  return {};
}

}  // namespace mirlot
