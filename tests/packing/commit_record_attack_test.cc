// A seeded fuzzer of the commit record, on the fake file system: folders
// left as an interrupted commit leaves them, or as an attacker arranges
// them, with records whose names, identities and text are drawn from pools
// of right and wrong values, then one command. Whatever the record says,
// no file but the two outputs and this program's own temporary files
// changes; and where a real commit was interrupted, once its record is
// gone the outputs are one whole pair.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "packing/packing_run.h"
#include "runtime/commit_record_text.h"
#include "runtime/content_checksum.h"
#include "runtime/fake_file_system.h"
#include "runtime/path.h"
#include "runtime/temporary_name.h"
#include "support/packing_fixtures.h"
#include "support/reader_commands.h"

namespace mirlot {
namespace {

using Op = FakeFileSystem::Op;
using Files = std::map<std::string, std::string>;

const std::string kOutputs[] = {"out.bin", "report.txt"};
const std::string kTemporaries[] = {".out.bin.tmp-Ab3dE6gH",
                                    ".report.txt.tmp-Xy1zW2vU"};
// Names a record may hold besides the right ones.
// clang-format off
const std::string kNamePool[] = {
    "out.bin", "report.txt", ".out.bin.tmp-Ab3dE6gH", ".mirlot-commit",
    ".report.txt.tmp-Xy1zW2vU-old", "list.txt", "precious.dat", "link",
    "../outside.txt", "/outside.txt", ".", "", "sub/x", "OUT.BIN"};
// clang-format on

void AddUserFiles(FakeFileSystem& fs) {
  fs.AddFile("/d/e.dat", MemberBytes(60, "EARLY!"));
  fs.AddFile("/d/n.dat", MemberBytes(58, "NEW!"));
  fs.AddFile("/d/t.dat", MemberBytes(57, "333"));
  fs.AddFile("/d/list.txt", "e.dat\n");
  fs.AddFile("/d/new.txt", "n.dat\n");
  fs.AddFile("/d/third.txt", "t.dat\n");
  fs.AddFile("/d/precious.dat", "the user's");
  fs.AddFile("/outside.txt", "outside");
  fs.AddSpecial("/d/link");
}

using Pair = std::vector<std::string>;  // out.bin, then report.txt

// The pair that packing `list` in /d makes.
Pair PairOf(const std::string& list) {
  FakeFileSystem fs;
  AddUserFiles(fs);
  EXPECT_EQ(PackList(fs, "/d/" + list), RunOutcome::kDone);
  return {fs.Content("/d/out.bin"), fs.Content("/d/report.txt")};
}

// True for a name this program may change: an output, the record, or a
// temporary name of its own.
bool Ours(const std::string& path) {
  if (ParentFolder(path) == "/d/out") return true;
  if (ParentFolder(path) != "/d") return false;
  const std::string name = LastComponent(path);
  for (const char* own :
       {"out.bin", "report.txt", ".mirlot-commit", "mirlot-extract"}) {
    if (name == own || IsTemporaryNameFor(name, own)) return true;
  }
  return false;
}

Files Snapshot(const FakeFileSystem& fs) {
  Files files;
  for (const std::string& path : fs.FilePaths()) files[path] = fs.Content(path);
  return files;
}

class Case {
 public:
  explicit Case(unsigned seed) : random_(seed) {}

  // Arranges the folder and its record; returns whether it is what a real
  // interrupted commit leaves.
  bool Arrange(FakeFileSystem& fs) {
    AddUserFiles(fs);
    static const Pair kEarlier = PairOf("list.txt"), kFresh = PairOf("new.txt");
    const bool real = Draw(2) == 0;
    bool untouched = true;
    std::vector<RecordedMove> moves;
    for (int k = 0; k < 2; ++k) {
      // The same list packed twice, and an output that was not there.
      fresh_.push_back(Draw(8) == 0 ? kEarlier[k] : kFresh[k]);
      earlier_.push_back(Draw(5) == 0 ? "" : kEarlier[k]);
      const int state = static_cast<int>(Draw(earlier_[k].empty() ? 2 : 6));
      untouched &= state == 0;
      Place(fs, k, state);
      RecordedMove move{kTemporaries[k], kOutputs[k], std::nullopt,
                        fresh_[k].size(), ChecksumOf(fresh_[k])};
      if (!earlier_[k].empty()) move.former_size = earlier_[k].size();
      moves.push_back(move);
    }
    std::string text = EncodeCommitRecord(moves);
    if (real && untouched && Draw(2) == 0) text.resize(Draw(text.size()));
    if (!real) text = Attack(moves);
    fs.AddFile("/d/.mirlot-commit", text);
    if (!real && Draw(6) == 0) fs.GiveToAnotherUser("/d/.mirlot-commit");
    if (!real && Draw(6) == 0) fs.AddSpecial("/d/.mirlot-commit");
    return real;
  }

  std::size_t Draw(std::size_t bound) {
    return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random_);
  }

  // Whether the outputs hold the earlier pair, the new one, or that of
  // `third`.
  bool Whole(const FakeFileSystem& fs, const Pair& third) const {
    const Pair now = {fs.Content("/d/out.bin"), fs.Content("/d/report.txt")};
    return now == earlier_ || now == fresh_ || now == third;
  }

 private:
  // Puts move `k`'s files where a commit leaves them: 0 before its moves,
  // 1 the earlier file set aside, 2 then the new one moved in, 3 the two
  // swapped, 4 done, 5 undone; without an earlier file, 1 is done.
  void Place(FakeFileSystem& fs, int k, int state) {
    const std::string to = "/d/" + kOutputs[k];
    const std::string from = "/d/" + kTemporaries[k];
    const std::string aside = SetAsideName(from);
    const std::string &earlier = earlier_[k], &fresh = fresh_[k];
    const std::vector<Files> states = {{{to, earlier}, {from, fresh}},
                                       {{aside, earlier}, {from, fresh}},
                                       {{aside, earlier}, {to, fresh}},
                                       {{to, fresh}, {from, earlier}},
                                       {{to, fresh}},
                                       {{to, earlier}}};
    for (const auto& [path, content] : states[state]) {
      if (!content.empty()) fs.AddFile(path, content);
    }
  }

  // A record an attacker might write: names from the pool, identities
  // wrong or right, the earlier format, or bytes of no record.
  std::string Attack(std::vector<RecordedMove> moves) {
    for (RecordedMove& move : moves) {
      if (Draw(2) == 0) move.to = kNamePool[Draw(std::size(kNamePool))];
      if (Draw(2) == 0) move.from = kNamePool[Draw(std::size(kNamePool))];
      if (Draw(3) == 0) move.fresh_checksum = random_();
      if (Draw(3) == 0) move.fresh_size = Draw(100);
      if (Draw(3) == 0) move.former_size = Draw(100);
    }
    switch (Draw(4)) {
      case 0:
        return "mirlot commit 1\n" + moves[0].from + "\n" + moves[0].to + "\n" +
               std::to_string(moves[0].former_size.value_or(0)) + " 0 0\n" +
               std::to_string(moves[0].fresh_size) + " 0 0\nend\n";
      case 1:
        return "precious.dat\n";
      default:
        return EncodeCommitRecord(moves);
    }
  }

  std::mt19937_64 random_;
  Pair earlier_, fresh_;  // what the outputs held before, and the new files
};

TEST(CommitRecordAttackTest, NoCommandTouchesMoreThanItsOwnFiles) {
  for (unsigned seed = 1; seed <= 3000; ++seed) {
    FakeFileSystem fs;
    Case drawn(seed);
    const bool real = drawn.Arrange(fs);
    // The folder cannot be locked, the record's lock is held by a live
    // writer, or the platform cannot lock the record.
    fs.folders_unlockable = drawn.Draw(4) == 0;
    Result<std::unique_ptr<LockableFile>> record =
        (*fs.OpenFolder("/d"))->OpenLockable(".mirlot-commit");
    const bool live = record.ok() && drawn.Draw(8) == 0;
    if (live) {
      ASSERT_EQ(*(*record)->TryLock(), LockAttempt::kTaken);
    } else if (drawn.Draw(8) == 0) {
      fs.FailOn(Op::kLockFolder, ".mirlot-commit", Status(75, ""));
    }
    // The pack of third.txt, or a reader.
    const std::string command = std::vector<std::string>{
        "pack", "inspect", "extract", "verify"}[drawn.Draw(4)];
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + command +
                 (real ? ", interrupted" : ", attacked") + "\n" +
                 fs.Content("/d/.mirlot-commit"));
    const Files before = Snapshot(fs);
    if (command == "pack") {
      (void)PackList(fs, "/d/third.txt");
    } else {
      (void)RunReader(command, fs);
    }
    const Files after = Snapshot(fs);
    for (const auto& [path, content] : before) {
      if (Ours(path)) continue;
      EXPECT_TRUE(after.contains(path) && after.at(path) == content) << path;
    }
    // Nothing new but ours; and while its writer lives, a commit is left
    // alone.
    for (const auto& [path, content] : after) {
      const bool kept = before.contains(path) && before.at(path) == content;
      EXPECT_TRUE(before.contains(path) || Ours(path)) << path;
      EXPECT_TRUE(kept || !live || ParentFolder(path) != "/d") << path;
    }
    if (real && !after.contains("/d/.mirlot-commit")) {
      static const Pair kThird = PairOf("third.txt");
      EXPECT_TRUE(drawn.Whole(fs, kThird));
    }
  }
}

}  // namespace
}  // namespace mirlot
