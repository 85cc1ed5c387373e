// The commit record's text: written byte for byte, read back, and told
// apart from what a crash leaves of it and from any other file.
#include "format/commit_record_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mirlot {
namespace {

using namespace std::string_literals;

const std::vector<RecordedMove> kMoves = {
    {".out.bin.tmp-Ab3dE6gH", "out.bin", 1770, 2012, 0x5f2b9c0e1d3a4b67},
    {".report.txt.tmp-Xy1zW2vU", "report.txt", std::nullopt, 230,
     0x0123456789abcdef}};

const std::string kRecord =
    "mirlot commit 2\n"
    ".out.bin.tmp-Ab3dE6gH\nout.bin\n1770\n2012 5f2b9c0e1d3a4b67\n"
    ".report.txt.tmp-Xy1zW2vU\nreport.txt\nnone\n230 0123456789abcdef\n"
    "check 740e28f486932419\n";

// Every move and the checksum of all before it, read back by the "whole"
// row.
TEST(CommitRecordTextTest, TellsWholeRecordsFromCutOnesAndFromOtherFiles) {
  EXPECT_EQ(EncodeCommitRecord(kMoves), kRecord);
  std::string altered = kRecord;
  altered[kRecord.find("2012")] = '3';
  const struct {
    const char* name;
    std::string text;
    RecordText expected;
    std::vector<RecordedMove> moves = {};
  } rows[] = {
      // clang-format off
      {"whole", kRecord, RecordText::kWhole, kMoves},
      {"version 1", "mirlot commit 1\n.out.bin.tmp-Ab3dE6gH\nout.bin\n1770 2049 13\n2012 2049 14\nend\n", RecordText::kWhole, {{".out.bin.tmp-Ab3dE6gH", "out.bin", 1770, 2012, std::nullopt}}},
      {"never written", std::string(4096, '\0'), RecordText::kIncomplete},
      {"followed by zeros", kRecord + std::string(512, '\0'), RecordText::kIncomplete},
      {"a byte changed", altered, RecordText::kIncomplete},
      {"a list", "a.dat\nb.dat\n", RecordText::kUnknown},
      {"another version", "mirlot commit 3\n", RecordText::kUnknown},
      {"version 1 without its end", "mirlot commit 1\n.o.tmp-Ab3dE6gH\no\nnone\n2 1 1\n", RecordText::kUnknown},
      {"checked, but no moves", "mirlot commit 2\ncheck 72714c417477c30a\n", RecordText::kUnknown},
      {"checked, but not four lines a move", "mirlot commit 2\nout.bin\nreport.txt\ncheck 6b345a77be40de29\n", RecordText::kUnknown},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    const DecodedRecord decoded = DecodeCommitRecord(row.text);
    EXPECT_EQ(decoded.text, row.expected);
    EXPECT_EQ(decoded.moves, row.moves);
  }
  // Whatever a crash leaves of a record being written, nothing included.
  for (std::size_t size = 0; size < kRecord.size(); ++size) {
    EXPECT_EQ(DecodeCommitRecord(kRecord.substr(0, size)).text,
              RecordText::kIncomplete)
        << size;
  }
}

}  // namespace
}  // namespace mirlot
