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
  return EscapeControls(bytes, false);
}

std::string TerminalName(std::string_view bytes) {
  return EscapeControls(bytes, true);
}

}  // namespace mirlot
