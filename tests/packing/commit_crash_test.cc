// A packing run that replaces an earlier pair is stopped after every file
// operation of its commit in turn, as a kill would stop it, and the power
// is cut, keeping each possible number of the name changes not yet synced.
// Whatever comes next must find one whole pair: the earlier one unless the
// run's commit was complete, and leave no file of the stopped run behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "format/output_names.h"
#include "packing/packing_run.h"
#include "runtime/commit_record.h"
#include "runtime/fake_file_system.h"
#include "support/packing_fixtures.h"

namespace mirlot {
namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;
using Pair = std::pair<std::string, std::string>;

// /d holds three members and a list for each; x.txt was packed.
void Arrange(FakeFileSystem& fs, bool can_swap) {
  fs.can_swap = can_swap;
  fs.AddFile("/d/x.dat", MemberBytes(58, "XXXX"));
  fs.AddFile("/d/y.dat", MemberBytes(60, "YYYYYY"));
  fs.AddFile("/d/z.dat", MemberBytes(55, "Z"));
  for (const char* list : {"x", "y", "z"}) {
    fs.AddFile("/d/" + std::string(list) + ".txt",
               std::string(list) + ".dat\n");
  }
}

RunOutcome Pack(FakeFileSystem& fs, const std::string& list) {
  RecordingSink sink;
  RunObserver observer;
  return RunPacking({"/d/" + list}, fs, sink, observer);
}

Pair PairIn(const FakeFileSystem& fs) {
  return {fs.Content("/d/out.bin"), fs.Content("/d/report.txt")};
}

// Rolls back what the stopped run left, as every command does first.
Status RollBack(FakeFileSystem& fs) {
  Result<std::unique_ptr<Folder>> folder = fs.OpenFolder("/d");
  return folder.ok() ? RollBackInterruptedCommit(**folder) : folder.status();
}

const Pair kX = {"\0\0\0\x08\0\0\0\x04XXXX"s,
                 "#,            Name,          Offset,       Size\r\n"
                 " 1            x.dat          8             4\r\n"};
const Pair kY = {"\0\0\0\x08\0\0\0\x06YYYYYY"s,
                 "#,            Name,          Offset,       Size\r\n"
                 " 1            y.dat          8             6\r\n"};
const Strings kFilesAfterZ = {"/d/out.bin", "/d/report.txt", "/d/x.dat",
                              "/d/x.txt",   "/d/y.dat",      "/d/y.txt",
                              "/d/z.dat",   "/d/z.txt"};

TEST(CommitCrashTest, EveryStopLeavesOneWholePair) {
  for (const bool can_swap : {false, true}) {
    // A whole run of y.txt after x.txt: where its commit starts and ends.
    FakeFileSystem whole;
    Arrange(whole, can_swap);
    ASSERT_EQ(Pack(whole, "x.txt"), RunOutcome::kDone);
    const std::size_t earlier = whole.calls().size();
    ASSERT_EQ(Pack(whole, "y.txt"), RunOutcome::kDone);
    ASSERT_EQ(PairIn(whole), kY);
    const Strings& calls = whole.calls();
    std::size_t first = earlier;
    while (calls[first] != "sync-files /d") ++first;
    for (std::size_t stop = first; stop < calls.size(); ++stop) {
      for (std::size_t kept = 0;; ++kept) {
        SCOPED_TRACE(std::string(can_swap ? "swap" : "aside") + ", after " +
                     calls[stop] + ", kept " + std::to_string(kept));
        FakeFileSystem fs;
        Arrange(fs, can_swap);
        ASSERT_EQ(Pack(fs, "x.txt"), RunOutcome::kDone);
        fs.StopAfter(stop + 1);
        const bool done = Pack(fs, "y.txt") == RunOutcome::kDone;
        const std::size_t unsynced = fs.UnsyncedChanges();
        fs.PowerCut(kept);
        // The new pair counts once the run removed its record and that
        // removal survived.
        const auto removal = std::find(calls.begin() + earlier, calls.end(),
                                       "remove /d/.mirlot-commit");
        const Strings after_cut = fs.FilePaths();
        const bool committed =
            removal - calls.begin() <= static_cast<std::ptrdiff_t>(stop) &&
            std::count(after_cut.begin(), after_cut.end(),
                       "/d/.mirlot-commit") == 0;
        EXPECT_TRUE(committed || !done);
        ASSERT_TRUE(RollBack(fs).ok());
        EXPECT_EQ(PairIn(fs), committed ? kY : kX);
        EXPECT_EQ(Pack(fs, "z.txt"), RunOutcome::kDone);
        EXPECT_EQ(fs.FilePaths(), kFilesAfterZ);
        if (kept >= unsynced) break;
      }
    }
  }
}

}  // namespace
}  // namespace mirlot
