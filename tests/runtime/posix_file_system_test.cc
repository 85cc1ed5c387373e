// What the end-to-end suites do not reach: appends of every size around the
// write buffer's, and creation that never follows or replaces what is there
// (extraction relies on it).
#include "runtime/posix_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace mirlot {
namespace {

namespace fs = std::filesystem;

TEST(PosixFileSystemTest, AppendsOfEverySizeArriveInOrder) {
  TempFolder folder;
  PosixFileSystem files;
  auto file = files.CreateTemporary(folder.root().string(), "out.bin");
  ASSERT_TRUE(file.ok());
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    const std::string piece(i % 100 == 99 ? 300 << 10 : i * 37, 'a' + i % 26);
    ASSERT_TRUE((*file)->Append(piece).ok());
    expected += piece;
  }
  ASSERT_TRUE((*file)->Close().ok());
  EXPECT_TRUE(folder.Read((*file)->path()) == expected);
}

TEST(PosixFileSystemTest, CreationNeverReplacesNorFollows) {
  TempFolder folder;
  PosixFileSystem files;
  folder.Write("a.dat", "a");
  fs::create_directory(folder.Path("sub"));
  fs::create_symlink(folder.Path("nowhere"), folder.Path("dangling"));
  EXPECT_EQ(files.CreateTemporary(folder.Path("x"), "o").status().number(), 76);
  EXPECT_EQ(files.CreateNew(folder.Path("a.dat")).status().number(), 75);
  EXPECT_EQ(files.CreateNew(folder.Path("dangling")).status().number(), 75);
  EXPECT_FALSE(fs::exists(folder.Path("nowhere")));
  EXPECT_EQ(files.CreateFolder(folder.Path("sub")).number(), 75);
  EXPECT_EQ(files.CreateFolder(folder.Path("x/y")).number(), 76);
  EXPECT_EQ(folder.Read("a.dat"), "a");
}

// Files made through an open folder stay in it when its path is given to
// another folder meanwhile, and a move that must not replace never does.
TEST(PosixFileSystemTest, OpenFolderKeepsToItselfAndReplacesOnlyWhenAsked) {
  TempFolder folder;
  PosixFileSystem files;
  fs::create_directory(folder.Path("dir"));
  auto dir = files.OpenFolder(folder.Path("dir"));
  ASSERT_TRUE(dir.ok());
  fs::rename(folder.Path("dir"), folder.Path("moved"));
  fs::create_directory(folder.Path("elsewhere"));
  fs::create_directory_symlink(folder.Path("elsewhere"), folder.Path("dir"));
  auto file = (*dir)->CreateTemporary("a.dat");
  ASSERT_TRUE(file.ok());
  ASSERT_TRUE((*file)->Append("new").ok());
  ASSERT_TRUE((*file)->Close().ok());
  folder.Write("moved/a.dat", "old");
  EXPECT_EQ((*dir)->MoveIntoPlace((*file)->path(), "a.dat", false).number(),
            75);
  EXPECT_EQ(folder.Read("moved/a.dat"), "old");
  EXPECT_TRUE((*dir)->MoveIntoPlace((*file)->path(), "a.dat", true).ok());
  EXPECT_EQ(folder.Read("moved/a.dat"), "new");
  EXPECT_TRUE(fs::is_empty(folder.Path("elsewhere")));
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path("moved")), {}), 1);
}

}  // namespace
}  // namespace mirlot
