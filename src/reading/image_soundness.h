// The rules a sound container image follows, checked entry by entry:
// - the file holds at least one 8-byte table entry;
// - the first offset is a positive multiple of 8, at most the file size;
//   it gives the entry count n = offset(1) / 8;
// - no length is negative;
// - each payload starts where the one before it ends;
// - the last payload ends exactly at the end of the file.
// Every payload that runs past the end of the file is named as well, since
// none of its bytes can be trusted to be there.
#ifndef MIRLOT_READING_IMAGE_SOUNDNESS_H_
#define MIRLOT_READING_IMAGE_SOUNDNESS_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "reading/image_reader.h"
#include "runtime/result.h"

namespace mirlot {

enum class ProblemKind {
  kShortImage,              // fewer than 8 bytes
  kFirstOffsetNotPositive,  // the first offset is 0 or negative
  kFirstOffsetNotMultiple,  // the first offset is not a multiple of 8
  kTablePastEnd,            // the declared table is longer than the file
  kNegativeLength,
  kOverlap,         // starts before the previous payload ends
  kGap,             // starts after the previous payload ends
  kPayloadPastEnd,  // ends after the end of the file
  kTrailingBytes,   // bytes follow the last payload
};

// A stable lower-case name for scripts: "overlap", "trailing-bytes", …
const char* ProblemKindName(ProblemKind kind);

struct ImageProblem {
  ProblemKind kind;
  std::uint64_t entry = 0;  // 1-based; 0 when it concerns the whole file
  std::string message;      // "entry 2: …" in plain English
};

// Collects the problems of one image as its entries are fed in order.
class SoundnessCheck {
 public:
  // Only this many problems are kept; the rest are only counted.
  static constexpr std::size_t kKeptProblems = 100;

  // Checks what the file size and the first entry alone decide.
  explicit SoundnessCheck(const ImageReader& image);

  // Checks the entry with 0-based `index`; entries come in order from 0.
  void Add(std::uint64_t index, const TableEntry& entry);

  // Checks the end of the last payload against the end of the file; call
  // once after the last Add.
  void Finish();

  bool sound() const { return problem_count_ == 0; }
  // Why the file cannot be an image at all, known from construction on:
  // its first entry declares no table that could be read (a first offset
  // that is not positive, not a multiple of 8, or a table running past the
  // end of the file). Empty when the table can be read, even if short.
  const std::string& not_an_image() const { return not_an_image_; }
  const std::vector<ImageProblem>& problems() const { return problems_; }
  std::uint64_t problem_count() const { return problem_count_; }
  std::uint64_t omitted_count() const {
    return problem_count_ - problems_.size();
  }

 private:
  void Report(ProblemKind kind, std::uint64_t entry, std::string message);
  void CheckFirstEntry(const TableEntry& first);
  void CheckTableHead(const TableEntry& first);

  std::uint64_t file_size_;
  bool table_fits_ = false;  // the declared table lies inside the file
  std::string not_an_image_;
  std::optional<TableEntry> previous_;
  std::uint64_t entries_seen_ = 0;
  std::vector<ImageProblem> problems_;
  std::uint64_t problem_count_ = 0;
};

// Reads every readable entry of `image` and checks it.
// On success returns the finished check. On failure returns the read failure.
Result<SoundnessCheck> CheckImage(ImageReader& image);

}  // namespace mirlot

#endif  // MIRLOT_READING_IMAGE_SOUNDNESS_H_
