// Judges an image entry by entry against the rules a sound image follows.
#include "reading/image_soundness.h"

#include <utility>

#include "format/image_table.h"

namespace mirlot {

namespace {

std::string Entry(std::uint64_t number) {
  return "entry " + std::to_string(number) + ": ";
}

std::string Bytes(std::int64_t count) {
  return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

}  // namespace

const char* ProblemKindName(ProblemKind kind) {
  switch (kind) {
    case ProblemKind::kShortImage:
      return "short-image";
    case ProblemKind::kFirstOffsetNotPositive:
      return "first-offset-not-positive";
    case ProblemKind::kFirstOffsetNotMultiple:
      return "first-offset-not-multiple-of-8";
    case ProblemKind::kTablePastEnd:
      return "table-past-end";
    case ProblemKind::kNegativeLength:
      return "negative-length";
    case ProblemKind::kOverlap:
      return "overlap";
    case ProblemKind::kGap:
      return "gap";
    case ProblemKind::kPayloadPastEnd:
      return "payload-past-end";
    case ProblemKind::kTrailingBytes:
      return "trailing-bytes";
  }
  return "unknown";
}

SoundnessCheck::SoundnessCheck(const ImageReader& image)
    : file_size_(image.file_size()) {
  if (!image.has_first_entry()) {
    Report(ProblemKind::kShortImage, 0,
           "the file holds " + Bytes(static_cast<std::int64_t>(file_size_)) +
               ", too few for one 8-byte table entry");
    return;
  }
  CheckFirstEntry(image.first_entry());
}

void SoundnessCheck::CheckTableHead(const TableEntry& first) {
  const TableHead head = JudgeTableHead(first, file_size_);
  const std::string offset = std::to_string(first.offset);
  if (!head.positive) {
    Report(ProblemKind::kFirstOffsetNotPositive, 1,
           Entry(1) + "offset " + offset +
               " is not positive, so the table has no room");
    return;
  }
  if (!head.multiple) {
    Report(ProblemKind::kFirstOffsetNotMultiple, 1,
           Entry(1) + "offset " + offset +
               " is not a multiple of 8, so the table ends inside an entry");
  }
  if (!head.inside) {
    Report(ProblemKind::kTablePastEnd, 1,
           Entry(1) + "offset " + offset + " declares a table of " +
               std::to_string(head.count) +
               " entries, which runs past the end of the file (" +
               Bytes(static_cast<std::int64_t>(file_size_)) + ")");
    return;
  }
  table_fits_ = true;
}

void SoundnessCheck::CheckFirstEntry(const TableEntry& first) {
  CheckTableHead(first);
  if (problem_count_ > 0) not_an_image_ = problems_.front().message;
}

void SoundnessCheck::Add(std::uint64_t index, const TableEntry& entry) {
  const std::uint64_t number = index + 1;
  if (entry.length < 0) {
    Report(ProblemKind::kNegativeLength, number,
           Entry(number) + "negative length " + std::to_string(entry.length));
  }
  if (previous_ && entry.offset != previous_->end()) {
    const std::int64_t expected = previous_->end();
    const bool overlap = entry.offset < expected;
    Report(
        overlap ? ProblemKind::kOverlap : ProblemKind::kGap, number,
        Entry(number) + "starts at " + std::to_string(entry.offset) + ", " +
            Bytes(overlap ? expected - entry.offset : entry.offset - expected) +
            (overlap ? " before" : " after") + " entry " +
            std::to_string(index) + " ends (at " + std::to_string(expected) +
            "): " + (overlap ? "overlap" : "gap"));
  }
  if (entry.length >= 0 &&
      entry.end() > static_cast<std::int64_t>(file_size_)) {
    Report(ProblemKind::kPayloadPastEnd, number,
           Entry(number) + "payload ends at " + std::to_string(entry.end()) +
               ", " +
               Bytes(entry.end() - static_cast<std::int64_t>(file_size_)) +
               " past the end of the file");
  }
  previous_ = entry;
  entries_seen_ = number;
}

void SoundnessCheck::Finish() {
  if (!table_fits_ || !previous_) return;
  const std::int64_t end = previous_->end();
  const auto size = static_cast<std::int64_t>(file_size_);
  if (end < size) {
    Report(ProblemKind::kTrailingBytes, entries_seen_,
           Entry(entries_seen_) + "the last payload ends at " +
               std::to_string(end) + ", " + Bytes(size - end) +
               " before the end of the file: trailing bytes");
  }
}

void SoundnessCheck::Report(ProblemKind kind, std::uint64_t entry,
                            std::string message) {
  ++problem_count_;
  if (problems_.size() < kKeptProblems) {
    problems_.push_back({kind, entry, std::move(message)});
  }
}

Result<SoundnessCheck> CheckImage(ImageReader& image) {
  SoundnessCheck check(image);
  TableCursor cursor(image);
  while (!cursor.AtEnd()) {
    const std::uint64_t index = cursor.next_index();
    Result<TableEntry> entry = cursor.Next();
    if (!entry.ok()) return entry.status();
    check.Add(index, *entry);
  }
  check.Finish();
  return check;
}

}  // namespace mirlot
