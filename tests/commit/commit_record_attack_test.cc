// A seeded fuzzer of the commit record, on the fake file system: a folder
// as an interrupted commit leaves it, a record of it or one drawn from pools
// of wrong names, identities and texts, then one command, with the folder or
// the record unlockable or the record's writer alive. Whatever the record
// says, no file but the two outputs and this program's own temporary files
// changes, nothing changes while its writer lives, and where the record was
// a real one, once it is gone the outputs are one whole pair.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "format/commit_record_text.h"
#include "format/content_checksum.h"
#include "runtime/fake_file_system.h"
#include "runtime/path.h"
#include "runtime/temporary_name.h"
#include "support/packing_fixtures.h"
#include "support/reader_commands.h"

namespace mirlot {
namespace {

using namespace std::string_literals;
using Files = std::map<std::string, std::string>;
using Pair = std::vector<std::string>;  // out.bin, then report.txt

const std::string kOutputs[] = {"out.bin", "report.txt"};
const std::string kTemporaries[] = {".out.bin.tmp-Ab3dE6gH",
                                    ".report.txt.tmp-Xy1zW2vU"};
// clang-format off
const std::string kNamePool[] = {
    "out.bin", "report.txt", ".out.bin.tmp-Ab3dE6gH", ".mirlot-commit",
    ".report.txt.tmp-Xy1zW2vU-old", "list.txt", "precious.dat", "link",
    "../outside.txt", "/outside.txt", ".", "", "sub/x", "OUT.BIN"};
// clang-format on

// The user's files, and the pair packing `list` (if any) over them makes.
Pair Arrange(FakeFileSystem& fs, const std::string& list = "") {
  for (const auto& [name, size] :
       {std::pair{"e"s, 60}, {"n"s, 58}, {"t"s, 57}}) {
    fs.AddFile("/d/" + name + ".dat", MemberBytes(size, name));
    fs.AddFile("/d/" + name + ".txt", name + ".dat\n");
  }
  fs.AddFile("/d/list.txt", "e.dat\n");
  fs.AddFile("/d/precious.dat", "the user's");
  fs.AddFile("/outside.txt", "outside");
  fs.AddSpecial("/d/link");
  EXPECT_TRUE(list.empty() || PackList(fs, list) == RunOutcome::kDone);
  return {fs.Content("/d/out.bin"), fs.Content("/d/report.txt")};
}

// An output, the record, a temporary name of this program's, or extract's.
bool Ours(const std::string& path) {
  const std::string name = LastComponent(path), folder = ParentFolder(path);
  for (const std::string own :
       {"out.bin", "report.txt", ".mirlot-commit", "mirlot-extract"}) {
    if (folder == "/d" && (name == own || IsTemporaryNameFor(name, own)))
      return true;
  }
  return folder == "/d/out";
}

Files Snapshot(const FakeFileSystem& fs) {
  Files files;
  for (const std::string& path : fs.FilePaths()) files[path] = fs.Content(path);
  return files;
}

TEST(CommitRecordAttackTest, NoCommandTouchesMoreThanItsOwnFiles) {
  std::map<std::string, Pair> packed;  // by list
  for (const std::string list : {"e.txt", "n.txt", "t.txt"}) {
    FakeFileSystem fs;
    packed[list] = Arrange(fs, "/d/" + list);
  }
  for (unsigned seed = 1; seed <= 3000; ++seed) {
    std::mt19937_64 random(seed);
    const auto draw = [&random](std::size_t bound) {
      return std::uniform_int_distribution<std::size_t>(0, bound - 1)(random);
    };
    FakeFileSystem fs;
    Arrange(fs);
    // Each output's earlier file (none at times) and new one (at times the
    // same: a list packed twice), where the moves left them: before them,
    // the earlier set aside, the new moved in, the two swapped, done, undone.
    Pair earlier, fresh;
    std::vector<RecordedMove> moves;
    bool untouched = true;
    for (int k = 0; k < 2; ++k) {
      fresh.push_back(draw(8) == 0 ? packed["e.txt"][k] : packed["n.txt"][k]);
      earlier.push_back(draw(5) == 0 ? "" : packed["e.txt"][k]);
      const std::string to = "/d/" + kOutputs[k],
                        from = "/d/" + kTemporaries[k],
                        aside = SetAsideName(from);
      const std::size_t state = draw(earlier[k].empty() ? 2 : 6);
      untouched &= state == 0;
      const std::vector<Files> states = {
          {{to, earlier[k]}, {from, fresh[k]}},
          {{aside, earlier[k]}, {from, fresh[k]}},
          {{aside, earlier[k]}, {to, fresh[k]}},
          {{to, fresh[k]}, {from, earlier[k]}},
          {{to, fresh[k]}},
          {{to, earlier[k]}}};
      for (const auto& [path, content] : states[state]) {
        if (!content.empty()) fs.AddFile(path, content);
      }
      moves.push_back({kTemporaries[k], kOutputs[k], std::nullopt,
                       fresh[k].size(), ChecksumOf(fresh[k])});
      if (!earlier[k].empty()) moves.back().former_size = earlier[k].size();
    }
    const bool real = draw(2) == 0;
    std::string text = EncodeCommitRecord(moves);
    if (real && untouched && draw(2) == 0) text.resize(draw(text.size()));
    for (RecordedMove& move : moves) {  // an attacker's record
      if (draw(2) == 0) move.to = kNamePool[draw(std::size(kNamePool))];
      if (draw(2) == 0) move.from = kNamePool[draw(std::size(kNamePool))];
      if (draw(3) == 0) move.fresh_checksum = random();
      if (draw(3) == 0) move.fresh_size = draw(100);
      if (draw(3) == 0) move.former_size = draw(100);
    }
    if (!real) {
      const std::string v1 =
          "mirlot commit 1\n" + moves[0].from + "\n" + moves[0].to +
          "\n1 0 0\n" + std::to_string(moves[0].fresh_size) + " 0 0\nend\n";
      text = std::vector<std::string>{v1, "precious.dat\n",
                                      EncodeCommitRecord(moves)}[draw(3)];
    }
    fs.AddFile("/d/.mirlot-commit", text);
    if (!real && draw(6) == 0) fs.GiveToAnotherUser("/d/.mirlot-commit");
    if (!real && draw(6) == 0) fs.AddSpecial("/d/.mirlot-commit");
    // The folder cannot be locked; the record's writer lives, or the record
    // cannot be locked.
    fs.folders_unlockable = draw(4) == 0;
    auto record = (*fs.OpenFolder("/d"))->OpenLockable(".mirlot-commit");
    const bool live = record.ok() && draw(8) == 0;
    ASSERT_TRUE(!live || *(*record)->TryLock() == LockAttempt::kTaken);
    if (!live && draw(8) == 0) {
      fs.FailOn(FakeFileSystem::Op::kLockFolder, ".mirlot-commit",
                Status(75, ""));
    }
    const std::string command = std::vector<std::string>{
        "pack", "inspect", "extract", "verify"}[draw(4)];
    SCOPED_TRACE("seed " + std::to_string(seed) + ", " + command + "\n" + text);
    const Files before = Snapshot(fs);
    if (command == "pack") (void)PackList(fs, "/d/t.txt");
    if (command != "pack") (void)RunReader(command, fs);
    const Files after = Snapshot(fs);
    Files all = before;
    all.insert(after.begin(), after.end());
    for (const auto& [path, any] : all) {
      const bool kept = before.contains(path) && after.contains(path) &&
                        before.at(path) == after.at(path);
      EXPECT_TRUE(kept || Ours(path)) << path;
      EXPECT_TRUE(kept || !live || ParentFolder(path) != "/d") << path;
    }
    if (real && !after.contains("/d/.mirlot-commit")) {
      const Pair now = {fs.Content("/d/out.bin"), fs.Content("/d/report.txt")};
      EXPECT_TRUE(now == earlier || now == fresh || now == packed["t.txt"]);
    }
  }
}

}  // namespace
}  // namespace mirlot
