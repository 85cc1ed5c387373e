#include "runtime/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace mirlot {
namespace {

namespace fs = std::filesystem;

std::string Read(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = fs::temp_directory_path() /
            ("mirlot-posix-" + std::to_string(::getpid()) + "-" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root_);
    fs::create_directories(root_ / "sub");
    Write("a.dat", "0123456789");
    Write(".hidden", "x");
    ASSERT_EQ(::mkfifo((root_ / "pipe").c_str(), 0600), 0);
    fs::create_symlink(root_ / "nowhere", root_ / "dangling");
    fs::create_symlink(root_ / "a.dat", root_ / "link");
  }
  void TearDown() override { fs::remove_all(root_); }

  void Write(const std::string& name, const std::string& content) {
    std::ofstream(root_ / name, std::ios::binary) << content;
  }
  std::string P(const std::string& name) { return (root_ / name).string(); }

  PosixFileSystem files_;
  fs::path root_;
};

TEST_F(PosixFileSystemTest, StatTellsKindSizeAndVisibility) {
  const struct {
    std::string name;
    int failure;
    FileKind kind;
    std::uint64_t size;
    bool hidden;
  } cases[] = {
      {"a.dat", 0, FileKind::kRegular, 10, false},
      {"link", 0, FileKind::kRegular, 10, false},
      {".hidden", 0, FileKind::kRegular, 1, true},
      {"sub", 0, FileKind::kDirectory, 0, false},
      {"pipe", 0, FileKind::kOther, 0, false},
      {"missing", 53, FileKind::kOther, 0, false},
      {"dangling", 53, FileKind::kOther, 0, false},
      {"nofolder/a.dat", 53, FileKind::kOther, 0, false},
      {"a.dat/x", 53, FileKind::kOther, 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Result<FileStatus> status = files_.Stat(P(c.name));
    EXPECT_EQ(status.status().number(), c.failure);
    if (!status.ok()) continue;
    EXPECT_EQ(status->kind, c.kind);
    if (c.kind == FileKind::kRegular) {
      EXPECT_EQ(status->size, c.size);
    }
    EXPECT_EQ(status->hidden, c.hidden);
  }
  EXPECT_EQ(files_.Stat("").status().number(), 53);
  EXPECT_EQ(files_.Stat(std::string("a\0b", 3)).status().number(), 52);
}

TEST_F(PosixFileSystemTest, OpenForReadRefusesWhatIsNotAFile) {
  const struct {
    std::string name;
    int failure;
  } cases[] = {
      {"a.dat", 0}, {"missing", 53}, {"nofolder/a.dat", 76},
      {"sub", 75},  {"pipe", 75},    {"dangling", 53},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(files_.OpenForRead(P(c.name)).status().number(), c.failure);
  }
}

TEST_F(PosixFileSystemTest, ReadAtReadsFromAnyOffset) {
  auto file = files_.OpenForRead(P("a.dat"));
  ASSERT_TRUE(file.ok());
  char buffer[8];
  EXPECT_EQ(*(*file)->ReadAt(7, buffer, sizeof buffer), 3u);
  EXPECT_EQ(std::string(buffer, 3), "789");
  EXPECT_EQ(*(*file)->ReadAt(10, buffer, sizeof buffer), 0u);
}

TEST_F(PosixFileSystemTest, TemporaryFileIsRenamedIntoPlace) {
  Write("out.bin", "old");
  auto file = files_.CreateTemporary(root_.string(), "out.bin");
  ASSERT_TRUE(file.ok());
  const std::string temporary = (*file)->path();
  EXPECT_EQ(fs::path(temporary).parent_path(), root_);
  EXPECT_NE(temporary, P("out.bin"));
  // Larger than the write buffer, in pieces of every size.
  std::string expected;
  for (int i = 0; i < 300; ++i) {
    const std::string piece(i * 37, static_cast<char>('a' + i % 26));
    ASSERT_TRUE((*file)->Append(piece).ok());
    expected += piece;
  }
  ASSERT_TRUE((*file)->Close().ok());
  ASSERT_TRUE(files_.Rename(temporary, P("out.bin")).ok());
  EXPECT_EQ(Read(root_ / "out.bin"), expected);
  EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(PosixFileSystemTest, ReplaceTogetherReplacesBothOrNeither) {
  Write("new-image", "new image");
  Write("new-report", "new report");
  Write("out.bin", "old image");
  const Replacement both[] = {{P("new-image"), P("out.bin")},
                              {P("new-report"), P("report.txt")}};
  // report.txt is a folder that holds a file: the second move must fail.
  fs::create_directories(root_ / "report.txt" / "x");
  EXPECT_FALSE(files_.ReplaceTogether(both).ok());
  EXPECT_EQ(Read(root_ / "out.bin"), "old image");
  EXPECT_EQ(Read(root_ / "new-image"), "new image");
  EXPECT_EQ(Read(root_ / "new-report"), "new report");

  fs::remove_all(root_ / "report.txt");
  ASSERT_TRUE(files_.ReplaceTogether(both).ok());
  EXPECT_EQ(Read(root_ / "out.bin"), "new image");
  EXPECT_EQ(Read(root_ / "report.txt"), "new report");
  EXPECT_FALSE(fs::exists(root_ / "new-image"));
  EXPECT_FALSE(fs::exists(root_ / "new-report"));
}

TEST_F(PosixFileSystemTest, CreateFailuresNameTheirCause) {
  EXPECT_EQ(files_.CreateTemporary(P("nofolder"), "out.bin").status().number(),
            76);
  EXPECT_EQ(files_.CreateNew(P("a.dat")).status().number(), 75);
  EXPECT_EQ(files_.CreateNew(P("dangling")).status().number(), 75);
  EXPECT_FALSE(fs::exists(root_ / "nowhere"));
  EXPECT_EQ(files_.CreateFolder(P("sub")).number(), 75);
  EXPECT_EQ(files_.CreateFolder(P("x/y")).number(), 76);
}

}  // namespace
}  // namespace mirlot
