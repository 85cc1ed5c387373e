#include "packing/image_extractor.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "packing/image_inspection.h"
#include "packing/packing_run.h"
#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

class Recorder : public ExtractObserver, public InspectionVisitor {
 public:
  void OnWritten(std::uint64_t number, const std::string& path,
                 std::uint64_t) override {
    written.push_back(std::to_string(number) + " " + path);
  }
  void OnSkipped(std::uint64_t number, const TableEntry&) override {
    skipped.push_back(number);
  }
  void OnStart(const ImageReader&, const ReportMatch& report) override {
    named = report.matches();
  }
  void OnEntry(std::uint64_t, const TableEntry&,
               std::string_view name) override {
    names.emplace_back(name);
  }
  void OnEnd(const SoundnessCheck& verdict) override {
    sound = verdict.sound();
  }

  std::vector<std::string> written;
  std::vector<std::uint64_t> skipped;
  std::vector<std::string> names;
  bool named = false;
  bool sound = false;
};

class NullSink : public MessageSink {
 public:
  void Show(std::string_view text, MessageKind) override {
    shown.emplace_back(text);
  }
  std::vector<std::string> shown;
};

// Bytes that differ from member to member and from position to position.
std::string MemberBytes(std::size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned state = seed * 2654435761u + 1;
  for (char& c : bytes) {
    state = state * 1103515245u + 12345u;
    c = static_cast<char>(state >> 16);
  }
  return bytes;
}

Result<ExtractSummary> Extract(FakeFileSystem& file_system,
                               const std::string& image,
                               const std::string& folder, bool force,
                               Recorder& recorder) {
  Result<ImageExtraction> extraction =
      ImageExtraction::Open(file_system, image);
  if (!extraction.ok()) return extraction.status();
  return extraction->WriteTo(folder, force, recorder);
}

TEST(ImageExtractorTest, RoundTripGivesBackEveryPayload) {
  FakeFileSystem file_system;
  const std::vector<std::pair<std::string, std::size_t>> members = {
      {"a.dat", 54},
      {"b c.dat", 55},
      {"sub/d.dat", 1054},
      {"big.dat", 3 * 1024 * 1024 + 7}};
  std::string list;
  for (std::size_t k = 0; k < members.size(); ++k) {
    file_system.AddFile("/d/" + members[k].first,
                        MemberBytes(members[k].second, k));
    list += members[k].first + "\n";
  }
  file_system.AddFile("/d/list.txt", list);
  NullSink sink;
  RunObserver run_observer;
  ASSERT_EQ(RunPacking({true, "/d/list.txt"}, file_system, sink, run_observer),
            RunOutcome::kDone);

  Recorder inspected;
  Result<bool> sound = InspectImage(file_system, "/d/out.bin", inspected);
  ASSERT_TRUE(sound.ok());
  EXPECT_TRUE(*sound);
  EXPECT_TRUE(inspected.named);
  EXPECT_EQ(inspected.names, (std::vector<std::string>{
                                 "a.dat", "b c.dat", "sub/d.dat", "big.dat"}));

  Recorder recorder;
  const std::size_t reads_before = file_system.calls().size();
  Result<ExtractSummary> summary =
      Extract(file_system, "/d/out.bin", DefaultExtractFolder("/d/out.bin"),
              false, recorder);
  ASSERT_TRUE(summary.ok()) << summary.status().description();
  EXPECT_EQ(summary->outcome, ExtractSummary::Outcome::kDone);
  EXPECT_EQ(summary->written, 4u);
  EXPECT_EQ(recorder.written,
            (std::vector<std::string>{"1 /d/out/a.dat", "2 /d/out/b c.dat",
                                      "3 /d/out/d.dat", "4 /d/out/big.dat"}));
  for (std::size_t k = 0; k < members.size(); ++k) {
    const std::string member = MemberBytes(members[k].second, k);
    const std::string name = k == 2 ? "d.dat" : members[k].first;
    EXPECT_EQ(file_system.Content("/d/out/" + name),
              member.substr(50, member.size() - 54))
        << name;
  }
  // Payloads are copied in large blocks, not byte by byte.
  const auto reads = std::count_if(
      file_system.calls().begin() + reads_before, file_system.calls().end(),
      [](const std::string& call) { return call == "read /d/out.bin"; });
  EXPECT_LT(reads, 20);
}

// Five one-byte entries at offsets 40 to 44.
std::string FiveEntryImage() {
  std::string image;
  for (int k = 0; k < 5; ++k) {
    image += std::string("\0\0\0", 3) + static_cast<char>(40 + k) +
             std::string("\0\0\0\x01", 4);
  }
  return image + "VWXYZ";
}

const char kHostileReport[] =
    "#,            Name,          Offset,       Size\r\n"
    " 1            ../../escape  40            1\r\n"
    " 2            /etc/passwd   41            1\r\n"
    " 3                          42            1\r\n"
    " 4            dup           43            1\r\n"
    " 5            x/dup         44            1\r\n";

TEST(ImageExtractorTest, HostileReportNamesStayInsideTheFolder) {
  FakeFileSystem file_system;
  file_system.AddFile("/x/out.bin", FiveEntryImage());
  file_system.AddFile("/x/report.txt", kHostileReport);
  Recorder recorder;
  Result<ExtractSummary> summary =
      Extract(file_system, "/x/out.bin", "/x/out", false, recorder);
  ASSERT_TRUE(summary.ok()) << summary.status().description();
  EXPECT_EQ(file_system.FilePaths(),
            (std::vector<std::string>{"/x/out.bin", "/x/out/dup",
                                      "/x/out/entry-0003.bin",
                                      "/x/out/entry-0005.bin", "/x/out/escape",
                                      "/x/out/passwd", "/x/report.txt"}));
  EXPECT_EQ(file_system.Content("/x/out/escape"), "V");
  EXPECT_EQ(file_system.Content("/x/out/dup"), "Y");
  EXPECT_EQ(file_system.Content("/x/out/entry-0005.bin"), "Z");
}

TEST(ImageExtractorTest, ExistingFileStopsEverythingUnlessForced) {
  FakeFileSystem file_system;
  file_system.AddFile("/x/out.bin", FiveEntryImage());
  file_system.AddFile("/x/out/entry-0002.bin", "old");
  file_system.AddFile("/x/out/entry-0004.bin", "old");
  Recorder recorder;
  Result<ExtractSummary> summary =
      Extract(file_system, "/x/out.bin", "/x/out", false, recorder);
  ASSERT_TRUE(summary.ok());
  EXPECT_EQ(summary->outcome, ExtractSummary::Outcome::kExisting);
  EXPECT_EQ(summary->first_existing, "/x/out/entry-0002.bin");
  EXPECT_EQ(summary->existing_count, 2u);
  EXPECT_EQ(file_system.FilePaths().size(), 3u);

  summary = Extract(file_system, "/x/out.bin", "/x/out", true, recorder);
  ASSERT_TRUE(summary.ok());
  EXPECT_EQ(summary->outcome, ExtractSummary::Outcome::kDone);
  EXPECT_EQ(file_system.Content("/x/out/entry-0002.bin"), "W");
  EXPECT_EQ(file_system.Content("/x/out/entry-0004.bin"), "Y");
  EXPECT_EQ(file_system.FilePaths().size(), 6u);  // no temporary file left
}

TEST(ImageExtractorTest, UnsoundImageIsRefusedWithoutTouchingTheDisk) {
  FakeFileSystem file_system;
  file_system.AddFile("/x/out.bin", FiveEntryImage() + "trailing");
  Recorder recorder;
  Result<ExtractSummary> summary =
      Extract(file_system, "/x/out.bin", "/x/out", false, recorder);
  ASSERT_TRUE(summary.ok());
  EXPECT_EQ(summary->outcome, ExtractSummary::Outcome::kUnsound);
  EXPECT_FALSE(file_system.Exists("/x/out"));
}

TEST(ImageExtractorTest, ForcedUnsoundImageGivesTheEntriesInsideTheFile) {
  FakeFileSystem file_system;
  // Entry 2 runs 1 byte past the end, entry 3 starts past it, entry 4 has a
  // negative length; entries 1 and 5 lie inside.
  const std::string table = std::string(
      "\0\0\0\x28\0\0\0\x02"
      "\0\0\0\x2A\0\0\0\x04"
      "\0\0\0\x40\0\0\0\x00"
      "\0\0\0\x29\xFF\xFF\xFF\xFF"
      "\0\0\0\x2A\0\0\0\x03",
      40);
  file_system.AddFile("/x/out.bin", table + "ABCDE");
  Recorder recorder;
  Result<ExtractSummary> summary =
      Extract(file_system, "/x/out.bin", "/x/out", true, recorder);
  ASSERT_TRUE(summary.ok()) << summary.status().description();
  EXPECT_EQ(summary->written, 2u);
  EXPECT_EQ(summary->skipped, 3u);
  EXPECT_EQ(recorder.skipped, (std::vector<std::uint64_t>{2, 3, 4}));
  EXPECT_EQ(file_system.Content("/x/out/entry-0001.bin"), "AB");
  EXPECT_EQ(file_system.Content("/x/out/entry-0005.bin"), "CDE");
}

TEST(ImageExtractorTest, FailedWriteRemovesThePartialFile) {
  FakeFileSystem file_system;
  file_system.AddFile("/x/out.bin", FiveEntryImage());
  file_system.FailOn(FakeFileSystem::Op::kAppend, "entry-0002",
                     Status(FailureCode::kDiskFull));
  Recorder recorder;
  Result<ExtractSummary> summary =
      Extract(file_system, "/x/out.bin", "/x/out", false, recorder);
  ASSERT_FALSE(summary.ok());
  EXPECT_EQ(summary.status().number(), 61);
  EXPECT_EQ(summary.status().description(), "/x/out/entry-0002.bin: Disk full");
  EXPECT_TRUE(file_system.Exists("/x/out/entry-0001.bin"));
  EXPECT_FALSE(file_system.Exists("/x/out/entry-0002.bin"));
}

TEST(DefaultExtractFolderTest, IsNamedAfterTheImageBesideIt) {
  EXPECT_EQ(DefaultExtractFolder("out.bin"), "out");
  EXPECT_EQ(DefaultExtractFolder("/d/e/out.bin"), "/d/e/out");
  EXPECT_EQ(DefaultExtractFolder("d/archive.tar.img"), "d/archive.tar");
  EXPECT_EQ(DefaultExtractFolder("d/image"), "d/image.d");
  EXPECT_EQ(DefaultExtractFolder("d/.bin"), "d/.bin.d");
}

}  // namespace
}  // namespace mirlot
