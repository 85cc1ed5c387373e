// What the end-to-end suites do not reach: appends of every size around the
// write buffer's, creation that never follows a link or replaces what is
// there (extraction relies on it), and which leftovers a run clears away.
#include <gtest/gtest.h>

#include <filesystem>

#include "runtime/file_system.h"
#include "support/temp_folder.h"

namespace mirlot {
namespace {

namespace fs = std::filesystem;

// The file, and a folder made for it, are the user's to read and write.
TEST(HostFileSystemTest, AppendsOfEverySizeArriveInOrder) {
  TempFolder folder;
  ASSERT_TRUE(HostFileSystem().CreateFolder(folder.Path("made")).ok());
  auto file = HostFileSystem().CreateTemporary(folder.Path("made"), "o");
  ASSERT_TRUE(file.ok());
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    const std::string piece(i % 100 == 99 ? 300 << 10 : i * 37, 'a' + i % 26);
    ASSERT_TRUE((*file)->Append(piece).ok());
    expected += piece;
  }
  ASSERT_TRUE((*file)->Close().ok());
  EXPECT_TRUE(folder.Read((*file)->path()) == expected);
#ifndef _WIN32
  const fs::perms rw = fs::perms::owner_read | fs::perms::owner_write;
  for (const std::string& made : {folder.Path("made"), (*file)->path()}) {
    EXPECT_EQ(fs::status(made).permissions() & rw, rw) << made;
  }
#endif
}

TEST(HostFileSystemTest, CreationNeverReplaces) {
  TempFolder folder;
  FileSystem& files = HostFileSystem();
  folder.Write("a.dat", "a");
  fs::create_directory(folder.Path("sub"));
  EXPECT_EQ(files.CreateTemporary(folder.Path("x"), "o").status().number(), 76);
  EXPECT_EQ(files.CreateNew(folder.Path("a.dat")).status().number(), 75);
  EXPECT_EQ(files.CreateNew(folder.Path("x/a.dat")).status().number(), 76);
  EXPECT_EQ(files.CreateFolder(folder.Path("sub")).number(), 75);
  EXPECT_EQ(files.CreateFolder(folder.Path("x/y")).number(), 76);
  EXPECT_EQ(folder.Read("a.dat"), "a");
  // A dangling link, where the platform can make one.
  std::error_code error;
  fs::create_symlink(folder.Path("nowhere"), folder.Path("dangling"), error);
  if (error) return;
  EXPECT_EQ(files.CreateNew(folder.Path("dangling")).status().number(), 75);
  EXPECT_FALSE(fs::exists(folder.Path("nowhere")));
}

// A temporary file an earlier run left goes; one a live run holds open
// stays, and so does every name this program never makes.
TEST(HostFileSystemTest, ClearsOnlyTheLeftoversOfEarlierRuns) {
  TempFolder folder;
  FileSystem& files = HostFileSystem();
  FolderSnapshot kept;
  for (const char* name :
       {"out.bin", "out.tmp", ".out.bin.tmp-short", ".out.bin.tmp-abcd-fgh",
        "out.bin.tmp-Abcd3fgh", ".report.txt.tmp-Abcd3fgh"}) {
    folder.Write(name, "the user's");
    kept[name] = "file:the user's";
  }
  folder.Write(".out.bin.tmp-Dead0004", "left over");
  auto live = files.CreateTemporary(folder.root().string(), "out.bin");
  ASSERT_TRUE(live.ok());
  kept[fs::path((*live)->path()).filename().string()] = "file:";
  // Every descriptor it opens is closed again, counted through /proc where
  // there is one (on Windows the path could name the emulator's instead).
  const fs::path fds =
      fs::path::preferred_separator == '/' ? "/proc/self/fd" : "";
  std::error_code none;
  const auto before = std::distance(fs::directory_iterator(fds, none), {});
  files.RemoveStaleTemporaries(folder.root().string(), "out.bin");
  EXPECT_EQ(std::distance(fs::directory_iterator(fds, none), {}), before);
  EXPECT_EQ(folder.Snapshot(), kept);
  EXPECT_TRUE((*live)->Close().ok());
  // A live run's lock on the folder is found taken by the next one.
  auto lock = files.TryLockFolder(folder.root().string());
  EXPECT_TRUE(lock->held());
  EXPECT_EQ(files.TryLockFolder(folder.root().string()), nullptr);
}

// Files made through an open folder stay in it when its name is given to
// another folder meanwhile (where an open folder can be renamed at all), and
// a move that must not replace never does.
TEST(HostFileSystemTest, OpenFolderKeepsToItselfAndReplacesOnlyWhenAsked) {
  TempFolder folder;
  fs::create_directory(folder.Path("dir"));
  auto dir = HostFileSystem().OpenFolder(folder.Path("dir"));
  ASSERT_TRUE(dir.ok());
  std::string opened = "dir";
  std::error_code error;
  fs::rename(folder.Path("dir"), folder.Path("moved"), error);
  if (!error) {
    opened = "moved";
    fs::create_directory(folder.Path("dir"));
  }
  auto file = (*dir)->CreateTemporary("a.dat");
  ASSERT_TRUE(file.ok());
  ASSERT_TRUE((*file)->Append("new").ok());
  ASSERT_TRUE((*file)->Close().ok());
  folder.Write(opened + "/a.dat", "old");
  EXPECT_EQ((*dir)->MoveIntoPlace((*file)->path(), "a.dat", false).number(),
            75);
  EXPECT_EQ(folder.Read(opened + "/a.dat"), "old");
  EXPECT_TRUE((*dir)->MoveIntoPlace((*file)->path(), "a.dat", true).ok());
  EXPECT_EQ(folder.Read(opened + "/a.dat"), "new");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path(opened)), {}), 1);
  if (opened == "moved") {
    EXPECT_TRUE(fs::is_empty(folder.Path("dir")));
  }
}

}  // namespace
}  // namespace mirlot
