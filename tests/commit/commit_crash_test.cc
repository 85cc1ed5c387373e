// A packing run that replaces an earlier pair is stopped after every file
// operation it makes in turn, as a kill would stop it, and the power
// is cut, keeping each possible number of the name changes not yet synced.
// Whatever comes next must find one whole pair: the earlier one unless the
// run's commit was complete, and leave no file of the stopped run behind;
// also when the folder is given new device numbers, as a remount does, or
// copied elsewhere, as a restore from a backup does, before that.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "packing/packing_run.h"
#include "reading/output_pair.h"
#include "runtime/fake_file_system.h"
#include "support/packing_fixtures.h"

namespace mirlot {
namespace {

using namespace std::string_literals;
using Strings = std::vector<std::string>;

// /d holds the members x.dat, y.dat and z.dat and a list for each; x.txt
// is packed.
void Arrange(FakeFileSystem& fs, bool can_swap) {
  fs.can_swap = can_swap;
  for (const std::string payload : {"XXXX", "YYYYYY", "Z"}) {
    const std::string name(1, payload[0] - 'A' + 'a');
    fs.AddFile("/d/" + name + ".dat",
               MemberBytes(54 + payload.size(), payload));
    fs.AddFile("/d/" + name + ".txt", name + ".dat\n");
  }
  ASSERT_EQ(PackList(fs, "/d/x.txt"), RunOutcome::kDone);
}

std::string ReadAll(ReadableFile& file) {
  std::string bytes(4096, '\0');
  bytes.resize(*file.ReadAt(0, bytes.data(), bytes.size()));
  return bytes;
}

// Runs `command` as the first one after the cut: a pack that fails after
// its rollback, or the opening of the pair that inspect and extract share.
// Returns the image and the report it found.
std::string FirstCommand(FakeFileSystem& fs, const std::string& command,
                         const std::string& d) {
  if (command == "pack") {
    fs.FailOn(FakeFileSystem::Op::kCreateTemporary, d + "/.out.bin",
              Status(FailureCode::kDiskFull));
    EXPECT_EQ(PackList(fs, d + "/z.txt"), RunOutcome::kFailed);
    return fs.Content(d + "/out.bin") + "|" + fs.Content(d + "/report.txt");
  }
  Result<OutputPair> pair = OpenImageAndReport(fs, d + "/out.bin");
  if (!pair.ok() || !pair->report.ok()) return "not a pair";
  return ReadAll(*pair->image) + "|" + ReadAll(**pair->report);
}

const std::string kHeading =
    "#,            Name,          Offset,       Size\r\n";
// clang-format off
const std::string kX = "\0\0\0\x08\0\0\0\x04XXXX|"s + kHeading + " 1            x.dat          8             4\r\n";
const std::string kY = "\0\0\0\x08\0\0\0\x06YYYYYY|"s + kHeading + " 1            y.dat          8             6\r\n";
// clang-format on

TEST(CommitCrashTest, EveryStopLeavesOneWholePair) {
  for (const std::string first_command : {"pack", "inspect"}) {
    for (const bool can_swap : {false, true}) {
      FakeFileSystem whole;
      Arrange(whole, can_swap);
      const Strings& calls = whole.calls();
      const std::size_t start = calls.size();
      ASSERT_EQ(PackList(whole, "/d/y.txt"), RunOutcome::kDone);
      // The new pair counts once the removal of the record was made.
      const std::size_t removal = std::find(calls.begin() + start, calls.end(),
                                            "remove /d/.mirlot-commit") -
                                  calls.begin();
      for (std::size_t stop = start; stop < calls.size(); ++stop) {
        bool all = false;
        for (std::size_t kept = 0; !all; ++kept) {
          // Then the folder stays, is remounted, or is copied to /c, which
          // is used from then on.
          for (const char* const after : {"/d", "renumbered", "/c"}) {
            SCOPED_TRACE(first_command + (can_swap ? ", swap" : ", aside") +
                         ", after " + calls[stop] + ", kept " +
                         std::to_string(kept) + ", " + after);
            FakeFileSystem fs;
            Arrange(fs, can_swap);
            fs.stop_after = stop + 1;
            const bool done = PackList(fs, "/d/y.txt") == RunOutcome::kDone;
            all = fs.PowerCut(kept);
            const bool committed =
                removal <= stop && fs.Content("/d/.mirlot-commit").empty();
            EXPECT_TRUE(committed || !done);
            const std::string d = after == "/c"s ? "/c" : "/d";
            if (d == "/c") fs.CopyFolder("/d", d);
            if (after == "renumbered"s) fs.RenumberDevices();
            EXPECT_EQ(FirstCommand(fs, first_command, d), committed ? kY : kX);
            EXPECT_EQ(PackList(fs, d + "/z.txt"), RunOutcome::kDone);
            Strings left = fs.FilePaths();
            std::erase_if(left,
                          [&](auto& path) { return !path.starts_with(d); });
            // clang-format off
            EXPECT_EQ(left, (Strings{d + "/out.bin", d + "/report.txt", d + "/x.dat", d + "/x.txt", d + "/y.dat", d + "/y.txt", d + "/z.dat", d + "/z.txt"}));
            // clang-format on
          }
        }
      }
    }
  }
}

// Where the folder cannot be locked (one that may be written but not read),
// a reader that comes at any step of a pack leaves the pack's commit alone:
// it reads one whole pair and changes nothing, and the pack finishes.
TEST(CommitCrashTest, ReaderAtEveryStepOfAnUnlockedPackLeavesItAlone) {
  std::size_t steps = 0;
  for (std::size_t stop = 0; stop <= steps; ++stop) {
    SCOPED_TRACE("reader at step " + std::to_string(stop));
    FakeFileSystem fs;
    Arrange(fs, false);
    fs.folders_unlockable = true;
    std::string seen = kX;  // the first run, which counts the steps
    fs.before_each = [&, step = std::size_t{0}](auto, auto&) mutable {
      if (stop == 0) ++steps;
      if (stop > 0 && step++ == stop - 1) {
        seen = FirstCommand(fs, "inspect", "/d");
      }
    };
    EXPECT_EQ(PackList(fs, "/d/y.txt"), RunOutcome::kDone);
    EXPECT_TRUE(seen == kX || seen == kY) << seen;
    fs.before_each = nullptr;
    EXPECT_EQ(FirstCommand(fs, "inspect", "/d"), kY);
  }
}

}  // namespace
}  // namespace mirlot
