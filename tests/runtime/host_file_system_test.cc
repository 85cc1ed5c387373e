// What the end-to-end suites do not reach: appends of every size around the
// write buffer's, and creation that never follows or replaces what is there
// (extraction relies on it).
#include <gtest/gtest.h>

#include <filesystem>

#include "runtime/file_system.h"
#include "support/temp_folder.h"

namespace mirlot {
namespace {

namespace fs = std::filesystem;

TEST(HostFileSystemTest, AppendsOfEverySizeArriveInOrder) {
  TempFolder folder;
  auto file = HostFileSystem().CreateTemporary(folder.root().string(), "o");
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

TEST(HostFileSystemTest, CreationNeverReplaces) {
  TempFolder folder;
  FileSystem& files = HostFileSystem();
  folder.Write("a.dat", "a");
  fs::create_directory(folder.Path("sub"));
  EXPECT_EQ(files.CreateTemporary(folder.Path("x"), "o").status().number(), 76);
  EXPECT_EQ(files.CreateNew(folder.Path("a.dat")).status().number(), 75);
  EXPECT_EQ(files.CreateFolder(folder.Path("sub")).number(), 75);
  EXPECT_EQ(files.CreateFolder(folder.Path("x/y")).number(), 76);
  EXPECT_EQ(folder.Read("a.dat"), "a");
}

TEST(HostFileSystemTest, CreationNeverFollowsALink) {
  TempFolder folder;
  std::error_code error;
  fs::create_symlink(folder.Path("nowhere"), folder.Path("dangling"), error);
  if (error) GTEST_SKIP() << "no symbolic links here: " << error.message();
  EXPECT_EQ(
      HostFileSystem().CreateNew(folder.Path("dangling")).status().number(),
      75);
  EXPECT_FALSE(fs::exists(folder.Path("nowhere")));
}

}  // namespace
}  // namespace mirlot
