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

}  // namespace
}  // namespace mirlot
