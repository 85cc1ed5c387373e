// A report is read back from both ends of each line (names hold spaces and
// tabs, or nothing) and must match the image's table entry for entry. The pair
// is opened under the folder's shared lock, which keeps a writer out.
#include "reading/report_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

using namespace std::string_literals;

TEST(ReportReaderTest, ReportMatchesTheImageEntryForEntryOrSaysWhyNot) {
  const std::string head =
      "#,            Name,          Offset,       Size\r\n"
      " 1            a.dat         16            2\r\n";
  const struct {
    std::string report;   // "none": no report at all
    const char* outcome;  // the names when it matches, else why not
  } cases[] = {
      // clang-format off
      {head + " 2                          18            2\r\n", "[a.dat] []"},
      {head + " 2            a\tb\t         18            2\r\n", "[a.dat] [a\tb\t]"},
      {"none", "missing"},
      {"", "it is empty"},
      {" 1            a.dat         16            2\r\n", "its first line is not the heading"},
      {head, "it ends before entry 2"},
      {head + " 2            b             18            2\r\n 3            c             20            0\r\n", "it lists more entries than the table's 2"},
      {head + " 2            b             20            2\r\n", "line 3 gives offset 20, length 2, the table offset 18, length 2"},
      {head + " 2            b             18           -2\r\n", "line 3 gives offset 18, length -2, the table offset 18, length 2"},
      {head + " 3            b             18            2\r\n", "line 3 has entry number 3 instead of 2"},
      {head + "garbage\r\n", "line 3 is not an entry line"},
      {head + std::string(140000, 'x') + "\r\n", "unreadable: line 3 is longer than 131072 bytes"},
      // clang-format on
  };
  for (const auto& c : cases) {
    FakeFileSystem fs;
    fs.AddFile("/i/out.bin", "\0\0\0\x10\0\0\0\x02\0\0\0\x12\0\0\0\x02WXYZ"s);
    if (c.report != "none") fs.AddFile("/i/report.txt", c.report);
    bool writer_kept_out = false;
    fs.before_each = [&](FakeFileSystem::Op op, const std::string& path) {
      if (op != FakeFileSystem::Op::kOpenForRead || path != "/i/out.bin")
        return;
      writer_kept_out = !(*fs.OpenFolder("/i"))->TryLock(LockKind::kExclusive);
    };
    Result<OutputPair> pair = OpenImageAndReport(fs, "/i/out.bin");
    EXPECT_TRUE(writer_kept_out);
    Result<ImageReader> image = ImageReader::Open(*pair->image);
    std::vector<std::string> names{"stale"};
    Result<ReportMatch> match = MatchReport(*pair, *image, &names);
    ASSERT_TRUE(match.ok());
    using State = ReportMatch::State;
    std::string got = match->state == State::kMissing ? "missing" : "";
    if (match->state == State::kUnreadable) got = "unreadable: ";
    got += match->detail;
    for (const std::string& name : names)
      got += (got.empty() ? "[" : " [") + name + "]";
    EXPECT_EQ(got, c.outcome);
  }
}

// While a pack holds the folder, opening the pair waits and says so; it
// opens once the pack lets go, or gives up when asked to.
TEST(ReportReaderTest, OpeningWaitsForAPackUntilItEndsOrIsCancelled) {
  for (const bool pack_ends : {true, false}) {
    FakeFileSystem fs;
    fs.AddFile("/i/out.bin", "\0\0\0\x08\0\0\0\x00"s);
    auto pack = (*fs.OpenFolder("/i"))->TryLock(LockKind::kExclusive);
    struct Watcher : FolderWaitObserver {
      Watcher(bool ends, std::unique_ptr<FolderLock>& held)
          : pack_ends(ends), pack(held) {}
      void OnWaitingForFolder(const std::string& folder,
                              bool waiting) override {
        seen += folder + (waiting ? " waiting;" : " done;");
      }
      // The first look ends the pack, or asks to stop; a wait that goes
      // on after the pack ended is stopped at the fifth.
      bool CancelRequested() override {
        if (++looks == 1 && pack_ends) pack.reset();
        return !pack_ends || looks == 5;
      }
      bool pack_ends;
      std::unique_ptr<FolderLock>& pack;
      std::string seen;
      int looks = 0;
    } watcher(pack_ends, pack);
    Result<OutputPair> pair = OpenImageAndReport(fs, "/i/out.bin", watcher);
    EXPECT_EQ(pair.status().number(), pack_ends ? 0 : 18);
    EXPECT_EQ(watcher.seen, "/i waiting;/i done;");
    EXPECT_EQ(watcher.looks, 1);
  }
}

}  // namespace
}  // namespace mirlot
