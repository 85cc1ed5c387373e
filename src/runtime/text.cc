#include "runtime/text.h"

namespace mirlot {

std::string TrimSpaces(std::string_view text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(' ');
  return std::string(text.substr(first, last - first + 1));
}

namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

std::size_t Utf8SequenceLength(std::string_view text) {
  if (text.empty()) return 0;
  const auto b0 = static_cast<unsigned char>(text[0]);
  if (b0 < 0x80) return 1;
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // allowed range of the 2nd byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    length = 2;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    length = 3;
    if (b0 == 0xE0) low = 0xA0;
    if (b0 == 0xED) high = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    length = 4;
    if (b0 == 0xF0) low = 0x90;
    if (b0 == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (text.size() < length) return 0;
  const auto b1 = static_cast<unsigned char>(text[1]);
  if (b1 < low || b1 > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!IsContinuation(static_cast<unsigned char>(text[i]))) return 0;
  }
  return length;
}

bool IsValidUtf8(std::string_view text) {
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}

std::size_t DisplayColumns(std::string_view text) {
  std::size_t columns = 0;
  while (!text.empty()) {
    const std::size_t length = Utf8SequenceLength(text);
    text.remove_prefix(length == 0 ? 1 : length);
    ++columns;
  }
  return columns;
}

namespace {

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// A byte as \t, \n, \r or \xNN.
std::string EscapedByte(unsigned char byte) {
  if (byte == '\t') return "\\t";
  if (byte == '\n') return "\\n";
  if (byte == '\r') return "\\r";
  constexpr char kDigits[] = "0123456789abcdef";
  return {'\\', 'x', kDigits[byte >> 4], kDigits[byte & 0xF]};
}

}  // namespace

std::string EscapeControls(std::string_view bytes, bool escape_backslash) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const auto first = static_cast<unsigned char>(bytes.front());
    const std::size_t length = Utf8SequenceLength(bytes);
    // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
    const bool c1_control = length == 2 && first == 0xC2 &&
                            static_cast<unsigned char>(bytes[1]) < 0xA0;
    if (length == 0 || c1_control || (length == 1 && IsControl(first))) {
      const std::size_t escaped = c1_control ? 2 : 1;
      for (std::size_t k = 0; k < escaped; ++k) {
        text += EscapedByte(static_cast<unsigned char>(bytes[k]));
      }
      bytes.remove_prefix(escaped);
      continue;
    }
    if (escape_backslash && first == '\\') text += '\\';
    text.append(bytes.substr(0, length));
    bytes.remove_prefix(length);
  }
  return text;
}

}  // namespace mirlot
