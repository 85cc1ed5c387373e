// Encoding and decoding of the image table, and its rules.
#include "format/image_table.h"

namespace mirlot {

namespace {

void AppendBigEndian32(std::string& out, std::int64_t value) {
  const auto bits = static_cast<std::uint32_t>(value);
  out += {static_cast<char>(bits >> 24), static_cast<char>(bits >> 16),
          static_cast<char>(bits >> 8), static_cast<char>(bits)};
}

std::int64_t DecodeSigned32(const char* bytes) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) {
    value = (value << 8) | static_cast<unsigned char>(bytes[i]);
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::string EncodeTable(std::span<const TableEntry> entries) {
  std::string table;
  table.reserve(entries.size() * kTableEntrySize);
  for (const TableEntry& entry : entries) {
    AppendBigEndian32(table, entry.offset);
    AppendBigEndian32(table, entry.length);
  }
  return table;
}

TableEntry DecodeTableEntry(const char* bytes) {
  return {DecodeSigned32(bytes), DecodeSigned32(bytes + 4)};
}

TableHead JudgeTableHead(const TableEntry& first, std::uint64_t file_size) {
  if (first.offset <= 0) return {};
  const auto offset = static_cast<std::uint64_t>(first.offset);
  return {true, offset % kTableEntrySize == 0, offset <= file_size,
          offset / kTableEntrySize};
}

bool LiesInsideFile(const TableEntry& entry, std::uint64_t file_size) {
  return entry.offset >= 0 && entry.length >= 0 &&
         static_cast<std::uint64_t>(entry.end()) <= file_size;
}

}  // namespace mirlot
