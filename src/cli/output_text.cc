#include "cli/output_text.h"

#include <cstdio>

#include "runtime/text.h"

namespace mirlot {

namespace {

std::string Escaped(const char* format, unsigned char byte) {
  char text[8];
  std::snprintf(text, sizeof text, format, static_cast<unsigned>(byte));
  return text;
}

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// The JSON form of a byte that is a character of its own: ASCII, or a byte
// outside valid UTF-8 taken as Latin-1.
std::string JsonByte(unsigned char byte) {
  switch (byte) {
    case '"':
      return "\\\"";
    case '\\':
      return "\\\\";
    case '\b':
      return "\\b";
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\f':
      return "\\f";
    case '\r':
      return "\\r";
    default:
      break;
  }
  if (IsControl(byte) || byte >= 0x80) return Escaped("\\u%04x", byte);
  return std::string(1, static_cast<char>(byte));
}

// TerminalText, with '\\' doubled when `escape_backslash`.
std::string EscapedText(std::string_view bytes, bool escape_backslash) {
  std::string text;
  text.reserve(bytes.size());
  while (!bytes.empty()) {
    const auto first = static_cast<unsigned char>(bytes.front());
    const std::size_t length = Utf8SequenceLength(bytes);
    // U+0080 to U+009F, the C1 controls, are C2 80 to C2 9F.
    const bool c1_control = length == 2 && first == 0xC2 &&
                            static_cast<unsigned char>(bytes[1]) < 0xA0;
    if (length == 0 || c1_control || (length == 1 && IsControl(first))) {
      text += Escaped("\\x%02x", first);
      bytes.remove_prefix(1);
      if (c1_control) {
        text += Escaped("\\x%02x", static_cast<unsigned char>(bytes.front()));
        bytes.remove_prefix(1);
      }
      continue;
    }
    if (escape_backslash && first == '\\') text += '\\';
    text.append(bytes.substr(0, length));
    bytes.remove_prefix(length);
  }
  return text;
}

}  // namespace

std::string JsonString(std::string_view bytes) {
  std::string json = "\"";
  while (!bytes.empty()) {
    const std::size_t length = Utf8SequenceLength(bytes);
    if (length > 1) {
      json.append(bytes.substr(0, length));
      bytes.remove_prefix(length);
      continue;
    }
    json += JsonByte(static_cast<unsigned char>(bytes.front()));
    bytes.remove_prefix(1);
  }
  json += '"';
  return json;
}

std::string TerminalText(std::string_view bytes) {
  return EscapedText(bytes, false);
}

std::string TerminalName(std::string_view bytes) {
  return EscapedText(bytes, true);
}

std::string Plural(std::uint64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace mirlot
