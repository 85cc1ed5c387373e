// The readers as the command line runs them, over any file system, for the
// suites that check what each leaves behind.
#ifndef MIRLOT_TESTS_SUPPORT_READER_COMMANDS_H_
#define MIRLOT_TESTS_SUPPORT_READER_COMMANDS_H_

#include <string>

#include "packing/output_verification.h"
#include "reading/image_extractor.h"
#include "reading/inspect_image.h"
#include "reading/output_pair.h"

namespace mirlot {

// Takes whatever a reader reports and says nothing.
class IgnoringReader : public InspectionVisitor,
                       public ExtractObserver,
                       public DifferenceSink {
 public:
  void OnWarning(const std::string&) override {}
  void OnNotAnImage(const ImageReader&, const std::string&) override {}
  void OnStart(const ImageReader&, const ReportMatch&) override {}
  void OnEntry(std::uint64_t, const TableEntry&, std::string_view) override {}
  void OnEnd(const SoundnessCheck&) override {}
  void OnWritten(std::uint64_t, const std::string&, std::uint64_t) override {}
  void OnSkipped(std::uint64_t, const TableEntry&) override {}
  void OnDifference(const std::string&) override {}
};

// Runs `command` ("inspect", "extract" or "verify") on `folder`/out.bin as
// the command line does: extract into `folder`/out, verify against
// `folder`/list.txt. Returns how it ended.
inline Status RunReader(const std::string& command, FileSystem& fs,
                        const std::string& folder = "/d") {
  IgnoringReader ignoring;
  const std::string image = folder + "/out.bin";
  if (command == "inspect") return InspectImage(fs, image, ignoring).status();
  if (command == "extract") {
    Result<ImageExtraction> opened = ImageExtraction::Open(fs, image);
    if (!opened.ok()) return opened.status();
    return opened->WriteTo(folder + "/out", {}, ignoring).status();
  }
  Result<OutputPair> pair = OpenImageAndReport(fs, image);
  if (!pair.ok()) return pair.status();
  if (!pair->report.ok()) return pair->report.status();
  RunObserver observer;
  return VerifyOutputs(fs, folder + "/list.txt", {*pair->image, **pair->report},
                       ignoring, observer)
      .status();
}

}  // namespace mirlot

#endif  // MIRLOT_TESTS_SUPPORT_READER_COMMANDS_H_
