// The commit record's text, both directions. A record names, for each file
// a commit moves into place, its temporary name, its final name, the size
// of the file at the final name before the commit and the size and content
// checksum of the new file:
//
//   mirlot commit 2
//   .out.bin.tmp-Ab3dE6gH      FROM: the new file's temporary name
//   out.bin                    TO: the name it replaces
//   1770                       the earlier file's size, or "none"
//   2012 5f2b9c0e1d3a4b67      the new file's size and checksum (hex)
//   …                          (four lines for each further move)
//   check 0123456789abcdef     the checksum of every byte before this line
//
// Every line ends with LF. The last line tells a whole record from one a
// crash cut short, and both from any other file of the name. Records of
// version 1 ("mirlot commit 1", device and file numbers instead of
// checksums, ending with "end") are still read.
#ifndef MIRLOT_FORMAT_COMMIT_RECORD_TEXT_H_
#define MIRLOT_FORMAT_COMMIT_RECORD_TEXT_H_

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace mirlot {

// One file a commit moves from `from` onto `to`.
struct RecordedMove {
  std::string from;
  std::string to;
  // The size of the file at `to` before the commit; nullopt when there was
  // none.
  std::optional<std::uint64_t> former_size;
  std::uint64_t fresh_size = 0;
  // The new file's content checksum; nullopt in a version 1 record.
  std::optional<std::uint64_t> fresh_checksum;
  friend bool operator==(const RecordedMove&, const RecordedMove&) = default;
};

// The text of a record of `moves`, in the current version; every
// `fresh_checksum` must be set.
std::string EncodeCommitRecord(std::span<const RecordedMove> moves);

// What a file under the record's name holds.
enum class RecordText {
  kWhole,       // a record, whole: `moves` holds its moves
  kIncomplete,  // the start of a record that a crash cut short (or nothing)
  kUnknown,     // anything else
};

struct DecodedRecord {
  RecordText text = RecordText::kUnknown;
  std::vector<RecordedMove> moves;
};

// Reads a record's text. The names it holds are not checked here.
DecodedRecord DecodeCommitRecord(std::string_view text);

}  // namespace mirlot

#endif  // MIRLOT_FORMAT_COMMIT_RECORD_TEXT_H_
