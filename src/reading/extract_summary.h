// What an extraction did, as its front end reports it at the end.
#ifndef MIRLOT_READING_EXTRACT_SUMMARY_H_
#define MIRLOT_READING_EXTRACT_SUMMARY_H_

#include <cstdint>
#include <string>

namespace mirlot {

struct ExtractSummary {
  enum class Outcome {
    kDone,      // every entry written or, when salvaged, skipped
    kUnsound,   // refused: the image is unsound and not to be salvaged
    kExisting,  // refused: files to be written exist already
  };
  Outcome outcome = Outcome::kDone;
  std::string first_existing;  // kExisting: the first such path
  std::uint64_t existing_count = 0;
  std::uint64_t written = 0;
  std::uint64_t skipped = 0;
};

}  // namespace mirlot

#endif  // MIRLOT_READING_EXTRACT_SUMMARY_H_
