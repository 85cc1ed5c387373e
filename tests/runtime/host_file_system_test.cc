// What the end-to-end suites do not reach: appends of every size around the
// write buffer's, moves that never follow a link or replace what is there
// (extraction relies on it), replacements all or none, which leftovers a run
// clears away, the folder's locks, and folders named absolutely.
#include <gtest/gtest.h>

#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

#include "runtime/file_system.h"
#include "runtime/path.h"
#include "support/temp_folder.h"

namespace mirlot {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<Folder> Open(const std::string& path) {
  auto folder = HostFileSystem().OpenFolder(path);
  EXPECT_TRUE(folder.ok()) << path;
  return folder.ok() ? std::move(*folder) : nullptr;
}

// A new temporary file of `folder` holding `content`, closed and synced;
// its name.
std::string Stage(Folder& folder, const std::string& content) {
  auto file = folder.CreateTemporary("o");
  EXPECT_TRUE(file.ok() && (*file)->Append(content).ok() &&
              (*file)->Close().ok() && folder.SyncClosedFiles().ok());
  return file.ok() ? (*file)->name() : "";
}

// A relative folder is named under the current one, without its "."
// components; one from a root stays as written.
TEST(HostFileSystemTest, AbsolutePathsNameFoldersFromTheirRoot) {
  const std::u8string current = fs::current_path().u8string();
  const std::string here(current.begin(), current.end());
  const char separator = static_cast<char>(fs::path::preferred_separator);
  EXPECT_EQ(AbsolutePath("."), here);
  EXPECT_EQ(AbsolutePath("x/./y"), here + separator + "x" + separator + "y");
  EXPECT_EQ(AbsolutePath("/d/./e"), "/d/./e");
}

// The file, and a folder made for it, are the user's to read and write;
// one made to replace a file keeps that file's mode. More than a few closed
// files are synced in one pass.
TEST(HostFileSystemTest, AppendsOfEverySizeArriveInOrder) {
  TempFolder folder;
  ASSERT_TRUE(HostFileSystem().CreateFolder(folder.Path("made")).ok());
  auto made = Open(folder.Path("made"));
  auto file = made->CreateTemporary("o");
  ASSERT_TRUE(file.ok());
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    const std::string piece(i % 100 == 99 ? 300 << 10 : i * 37, 'a' + i % 26);
    ASSERT_TRUE((*file)->Append(piece).ok());
    expected += piece;
  }
  ASSERT_TRUE((*file)->Close().ok());
  for (int k = 0; k < 5; ++k) (void)(*made->CreateTemporary("o"))->Close();
  EXPECT_TRUE(made->SyncClosedFiles().ok());
  EXPECT_TRUE(folder.Read("made/" + (*file)->name()) == expected);
#ifndef _WIN32
  const fs::perms rw = fs::perms::owner_read | fs::perms::owner_write;
  for (const std::string& made :
       {folder.Path("made"), folder.Path("made/" + (*file)->name())}) {
    EXPECT_EQ(fs::status(made).permissions() & rw, rw) << made;
  }
  folder.Write("made/o", "earlier");
  fs::permissions(folder.Path("made/o"), fs::perms(0604));
  const std::string replacing = folder.Path("made/" + Stage(*made, "new"));
  EXPECT_EQ(fs::status(replacing).permissions(), fs::perms(0604));
#endif
}

// A file moved without replacing never lands on a name that is taken, a
// link that points nowhere included; replacing never follows such a link.
// (A folder in the way of a replacement is a fault row of pack's, and one
// moved away while a pack commits into it a crash row's.)
TEST(HostFileSystemTest, MovesReplaceOnlyWhenAsked) {
  TempFolder folder;
  folder.Write("d/a.dat", "a");
  EXPECT_EQ(HostFileSystem().CreateFolder(folder.Path("d")).number(), 75);
  EXPECT_EQ(HostFileSystem().CreateFolder(folder.Path("x/y")).number(), 76);
  auto d = Open(folder.Path("d"));
  const std::string b = Stage(*d, "b"), s = Stage(*d, "s");
  EXPECT_EQ(d->MoveWithoutReplacing(b, "a.dat").number(), 75);
  EXPECT_EQ(folder.Read("d/a.dat") + folder.Read("d/" + b), "ab");
  std::error_code error;
  fs::create_symlink(folder.Path("nowhere"), folder.Path("d/link"), error);
  if (!error) {  // where the platform can make one
    EXPECT_EQ(d->MoveWithoutReplacing(b, "link").number(), 75);
    const Replacement onto_link[] = {{b, "link"}, {s, "a.dat"}};
    EXPECT_TRUE(d->ReplaceTogether(onto_link).ok());
    EXPECT_EQ(folder.Read("d/link") + folder.Read("d/a.dat"), "bs");
    EXPECT_FALSE(fs::exists(folder.Path("nowhere")));
  }
}

// A temporary file an earlier run left goes; one a live run holds open
// stays, and so does every name this program never makes. A writer's lock
// keeps everyone out; readers keep a writer out but not each other (locks
// through two openings of one folder meet as two runs' would).
TEST(HostFileSystemTest, ClearsLeftoversAndLocksOutOtherRuns) {
  TempFolder folder;
  FolderSnapshot kept;
  for (const char* name :
       {"out.bin", "out.tmp", ".out.bin.tmp-short", ".out.bin.tmp-abcd-fgh",
        "out.bin.tmp-Abcd3fgh", ".report.txt.tmp-Abcd3fgh"}) {
    folder.Write(name, "the user's");
    kept[name] = "file:the user's";
  }
  folder.Write(".out.bin.tmp-Dead0004", "left over");
  folder.Write(".list.txt.tmp-Dead0005", "left over");
  auto root = Open(folder.root().string());
  auto live = root->CreateTemporary("out.bin");
  ASSERT_TRUE(live.ok());
  kept[(*live)->name()] = "file:";
  // Every descriptor it opens is closed again, counted through /proc where
  // there is one (on Windows the path could name the emulator's instead).
  const fs::path fds =
      fs::path::preferred_separator == '/' ? "/proc/self/fd" : "";
  std::error_code none;
  const auto before = std::distance(fs::directory_iterator(fds, none), {});
  constexpr std::string_view kStems[] = {"out.bin", "list.txt"};
  root->RemoveStaleTemporaries(kStems);
  EXPECT_EQ(std::distance(fs::directory_iterator(fds, none), {}), before);
  EXPECT_EQ(folder.Snapshot(), kept);
  auto other = Open(folder.root().string());
  auto lock = root->TryLock(LockKind::kExclusive);
  EXPECT_EQ(other->TryLock(LockKind::kShared), nullptr);
  lock.reset();
  lock = root->TryLock(LockKind::kShared);
  EXPECT_TRUE(lock->held() && other->TryLock(LockKind::kShared)->held());
  EXPECT_EQ(other->TryLock(LockKind::kExclusive), nullptr);
#ifdef _WIN32
  // The run that made the lock file takes it away, also while another run
  // still holds it; whoever comes meanwhile waits.
  const fs::path lock_file = folder.Native(".mirlot-commit.lock");
  auto second = other->TryLock(LockKind::kShared);
  lock.reset();
  EXPECT_EQ(root->TryLock(LockKind::kExclusive), nullptr);
  second.reset();
  EXPECT_FALSE(fs::exists(lock_file));
  // A lock file with content is no run's (one a power cut left is empty, a
  // row of the fault table's): it leaves the folder unlockable, with the
  // reason, and stays, as a folder in its place or a file another program
  // holds without sharing do.
  folder.Write(".mirlot-commit.lock", "mine");
  EXPECT_EQ(root->TryLock(LockKind::kExclusive)->why_not_held().number(), 75);
  EXPECT_EQ(folder.Read(".mirlot-commit.lock"), "mine");
  fs::remove(lock_file);
  fs::create_directory(lock_file);
  EXPECT_EQ(root->TryLock(LockKind::kExclusive)->why_not_held().number(), 70);
  fs::remove(lock_file);
  const HANDLE held = ::CreateFileW(lock_file.c_str(), GENERIC_READ, 0, nullptr,
                                    CREATE_NEW, 0, nullptr);
  EXPECT_EQ(root->TryLock(LockKind::kExclusive)->why_not_held().number(), 70);
  ::CloseHandle(held);
#endif
}

}  // namespace
}  // namespace mirlot
