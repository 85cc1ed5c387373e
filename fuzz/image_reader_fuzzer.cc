// libFuzzer target over the image reader: inspects an arbitrary image with
// an arbitrary report beside it, then extracts it under force into an
// in-memory file system and checks that every file landed in the target
// folder and holds exactly the bytes its table slot names.
//
// Input: two bytes giving, little-endian, the image's share of the rest;
// the image, then the report.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/output_text.h"
#include "reading/image_extractor.h"
#include "reading/inspect_image.h"
#include "runtime/fake_file_system.h"
#include "support/reader_commands.h"

namespace {

constexpr std::string_view kFolder = "/in/out/";

void Require(bool condition) {
  if (!condition) std::abort();
}

// Sends the listed names through the output escapes, and checks that each
// extracted file lies directly in the folder and holds the bytes its table
// slots name; takes the rest of what the readers report without a word.
struct Checker : mirlot::IgnoringReader {
  Checker(const mirlot::FakeFileSystem& fs, std::string_view image)
      : fs(fs), image(image) {}
  void OnEntry(std::uint64_t, const mirlot::TableEntry&,
               std::string_view name) override {
    (void)mirlot::JsonString(name);
    (void)mirlot::TerminalText(name);
  }
  void OnWritten(std::uint64_t number, const std::string& path,
                 std::uint64_t length) override {
    Require(path.starts_with(kFolder));
    const std::string name = path.substr(kFolder.size());
    Require(!name.empty() && name != "." && name != ".." &&
            name.find('/') == std::string::npos);
    Require(Slot(2 * number - 1) == length &&
            fs.Content(path) == image.substr(Slot(2 * number - 2), length));
  }
  // The big-endian 32-bit number in table slot `k` (two per entry).
  std::uint64_t Slot(std::uint64_t k) const {
    Require(4 * k + 4 <= image.size());
    std::uint64_t value = 0;
    for (char c : image.substr(4 * k, 4)) {
      value = value << 8 | static_cast<unsigned char>(c);
    }
    return value;
  }
  const mirlot::FakeFileSystem& fs;
  const std::string_view image;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size < 2) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 2,
                              size - 2);
  const std::string_view image =
      rest.substr(0, (data[0] | (data[1] << 8)) % (rest.size() + 1));
  mirlot::FakeFileSystem fs;
  fs.AddFile("/in/out.bin", std::string(image));
  fs.AddFile("/in/report.txt", std::string(rest.substr(image.size())));
  Checker checker(fs, image);
  Require(mirlot::InspectImage(fs, "/in/out.bin", checker).ok());
  auto extraction = mirlot::ImageExtraction::Open(fs, "/in/out.bin");
  Require(extraction.ok() &&
          extraction
              ->WriteTo("/in/out", {.replace = true, .salvage = true}, checker)
              .ok());
  // Nothing but the inputs and the extracted files exists.
  for (const std::string& path : fs.FilePaths()) {
    Require(path == "/in/out.bin" || path == "/in/report.txt" ||
            path.starts_with(kFolder));
  }
  return 0;
}
