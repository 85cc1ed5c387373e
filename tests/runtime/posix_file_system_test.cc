#include "runtime/posix_file_system.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "support/temp_folder.h"

namespace mirlot {
namespace {

namespace fs = std::filesystem;

class PosixFileSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder_.root() / "sub");
    folder_.Write("a.dat", "0123456789");
    folder_.Write(".hidden", "x");
    ASSERT_EQ(::mkfifo(P("pipe").c_str(), 0600), 0);
    fs::create_symlink(P("nowhere"), P("dangling"));
    fs::create_symlink(P("a.dat"), P("link"));
  }
  std::string P(const std::string& name) { return folder_.Path(name); }

  PosixFileSystem files_;
  TempFolder folder_;
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
  folder_.Write("out.bin", "old");
  auto file = files_.CreateTemporary(folder_.root().string(), "out.bin");
  ASSERT_TRUE(file.ok());
  const std::string temporary = (*file)->path();
  EXPECT_EQ(fs::path(temporary).parent_path(), folder_.root());
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
  EXPECT_EQ(folder_.Read("out.bin"), expected);
  EXPECT_FALSE(fs::exists(temporary));
}

TEST_F(PosixFileSystemTest, ReplaceTogetherReplacesBothOrNeither) {
  folder_.Write("new-image", "new image");
  folder_.Write("new-report", "new report");
  folder_.Write("out.bin", "old image");
  const Replacement both[] = {{P("new-image"), P("out.bin")},
                              {P("new-report"), P("report.txt")}};
  // report.txt is a folder that holds a file: the second move must fail.
  fs::create_directories(folder_.root() / "report.txt" / "x");
  EXPECT_FALSE(files_.ReplaceTogether(both).ok());
  EXPECT_EQ(folder_.Read("out.bin"), "old image");
  EXPECT_EQ(folder_.Read("new-image"), "new image");
  EXPECT_EQ(folder_.Read("new-report"), "new report");

  fs::remove_all(folder_.root() / "report.txt");
  ASSERT_TRUE(files_.ReplaceTogether(both).ok());
  EXPECT_EQ(folder_.Read("out.bin"), "new image");
  EXPECT_EQ(folder_.Read("report.txt"), "new report");
  EXPECT_FALSE(fs::exists(folder_.root() / "new-image"));
  EXPECT_FALSE(fs::exists(folder_.root() / "new-report"));
}

TEST_F(PosixFileSystemTest, CreateFailuresNameTheirCause) {
  EXPECT_EQ(files_.CreateTemporary(P("nofolder"), "out.bin").status().number(),
            76);
  EXPECT_EQ(files_.CreateNew(P("a.dat")).status().number(), 75);
  EXPECT_EQ(files_.CreateNew(P("dangling")).status().number(), 75);
  EXPECT_FALSE(fs::exists(folder_.root() / "nowhere"));
  EXPECT_EQ(files_.CreateFolder(P("sub")).number(), 75);
  EXPECT_EQ(files_.CreateFolder(P("x/y")).number(), 76);
}

}  // namespace
}  // namespace mirlot
