// What both front ends say about an image: its size and entry count, where
// its names come from, and its verdict, in the same words everywhere.
#ifndef MIRLOT_READING_IMAGE_WORDS_H_
#define MIRLOT_READING_IMAGE_WORDS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "reading/image_soundness.h"
#include "reading/report_reader.h"

namespace mirlot {

// "46 bytes, 2 entries".
std::string ImageSizeWords(std::uint64_t size, std::uint64_t entries);

// "d/out.bin: 46 bytes, 2 entries".
std::string ImageHeadline(const std::string& image_path, std::uint64_t size,
                          std::uint64_t entries);

// "d/out.bin is not a Mirlot image: <reason>".
std::string NotAnImageLine(const std::string& image_path,
                           const std::string& reason);

// Where the entries' names come from: "names: from d/report.txt", or
// "names: none (...)" and why not.
std::string NamesNote(const ReportMatch& report);

// "sound", or "unsound: 3 problems".
std::string VerdictLine(const SoundnessCheck& verdict);

// The problems kept by `verdict`, one line each, then "... and N more"
// when some were only counted.
std::vector<std::string> ProblemLines(const SoundnessCheck& verdict);

}  // namespace mirlot

#endif  // MIRLOT_READING_IMAGE_WORDS_H_
