// libFuzzer target over the image reader: inspects an arbitrary image with
// an arbitrary report beside it, then extracts it under force into an
// in-memory file system and checks that every file landed in the target
// folder and holds exactly the bytes its entry names.
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
#include "reading/image_overview.h"
#include "runtime/fake_file_system.h"

namespace {

constexpr char kImagePath[] = "/in/out.bin";
constexpr char kReportPath[] = "/in/report.txt";
constexpr char kFolder[] = "/in/out";

void Require(bool condition) {
  if (!condition) std::abort();
}

class CheckingVisitor : public mirlot::InspectionVisitor {
 public:
  void OnStart(const mirlot::ImageReader& image,
               const mirlot::ReportMatch& report) override {
    size_ = image.file_size();
    Require(image.readable_count() * 8 <= size_);
    named_ = report.matches();
  }
  void OnEntry(std::uint64_t number, const mirlot::TableEntry& entry,
               std::string_view name) override {
    Require(number == ++count_);
    Require(entry.offset >= INT32_MIN && entry.offset <= INT32_MAX);
    Require(named_ || name.empty());
    (void)mirlot::JsonString(name);
    (void)mirlot::TerminalText(name);
  }
  void OnEnd(const mirlot::SoundnessCheck& verdict) override {
    Require(verdict.sound() == (verdict.problem_count() == 0));
  }

 private:
  std::uint64_t size_ = 0;
  std::uint64_t count_ = 0;
  bool named_ = false;
};

class CheckingObserver : public mirlot::ExtractObserver {
 public:
  CheckingObserver(mirlot::FakeFileSystem& file_system, std::string_view image)
      : file_system_(file_system), image_(image) {}
  void OnWritten(std::uint64_t number, const std::string& path,
                 std::uint64_t length) override {
    const std::string prefix = std::string(kFolder) + "/";
    Require(path.starts_with(prefix));
    const std::string name = path.substr(prefix.size());
    Require(!name.empty() && name != "." && name != "..");
    Require(name.find('/') == std::string::npos);
    // The file holds the bytes the entry's table slot points at.
    const std::uint64_t offset = BigEndianAt(8 * (number - 1));
    Require(BigEndianAt(8 * (number - 1) + 4) == length);
    Require(file_system_.Content(path) == image_.substr(offset, length));
  }
  void OnSkipped(std::uint64_t, const mirlot::TableEntry& entry) override {
    Require(!mirlot::LiesInsideFile(entry, image_.size()));
  }

 private:
  std::uint64_t BigEndianAt(std::uint64_t position) const {
    Require(position + 4 <= image_.size());
    std::uint64_t value = 0;
    for (std::uint64_t i = position; i < position + 4; ++i) {
      value = (value << 8) | static_cast<unsigned char>(image_[i]);
    }
    return value;
  }

  mirlot::FakeFileSystem& file_system_;
  std::string_view image_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  if (size < 2) return 0;
  const std::string_view rest(reinterpret_cast<const char*>(data) + 2,
                              size - 2);
  const std::size_t split = (data[0] | (data[1] << 8)) % (rest.size() + 1);
  const std::string_view image = rest.substr(0, split);
  mirlot::FakeFileSystem file_system;
  file_system.AddFile(kImagePath, std::string(image));
  file_system.AddFile(kReportPath, std::string(rest.substr(split)));

  CheckingVisitor visitor;
  Require(mirlot::InspectImage(file_system, kImagePath, visitor).ok());

  mirlot::Result<mirlot::ImageExtraction> extraction =
      mirlot::ImageExtraction::Open(file_system, kImagePath);
  Require(extraction.ok());
  CheckingObserver observer(file_system, image);
  mirlot::Result<mirlot::ExtractSummary> summary =
      extraction->WriteTo(kFolder, /*force=*/true, observer);
  Require(summary.ok());
  // Nothing but the inputs and the extracted files exists.
  for (const std::string& path : file_system.FilePaths()) {
    Require(path == kImagePath || path == kReportPath ||
            path.starts_with(std::string(kFolder) + "/"));
  }
  return 0;
}
