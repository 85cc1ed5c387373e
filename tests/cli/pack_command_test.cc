// Runs the real `mirlot` binary in a temporary folder.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace mirlot {
namespace {

namespace fs = std::filesystem;

class PackCommandTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_.Write("lists/one.dat", std::string(1054, 'a'));
    folder_.Write("lists/two.dat", std::string(254, 'b'));
  }
  ChildResult Mirlot(std::vector<std::string> args) {
    args.insert(args.begin(), MIRLOT_BINARY);
    return RunChild(args, folder_.root().string());
  }

  TempFolder folder_;
};

TEST_F(PackCommandTest, PacksBesideTheListWhateverTheCurrentFolder) {
  folder_.Write("lists/list.txt", "one.dat\n two.dat \n");
  const ChildResult run = Mirlot({"pack", "lists/list.txt"});
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out, "Done\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(folder_.Read("lists/out.bin").size(), 16u + 1000 + 200);
  EXPECT_EQ(folder_.Read("lists/report.txt"),
            "#,            Name,          Offset,       Size\r\n"
            " 1            one.dat        16            1000\r\n"
            " 2            two.dat        1016          200\r\n");
  EXPECT_FALSE(fs::exists(folder_.Path("out.bin")));
}

TEST_F(PackCommandTest, MessagesStreamsAndExitStatuses) {
  folder_.Write("lists/empty.txt", "");
  folder_.Write("lists/missing.txt", "one.dat\r\nnone.dat\r\n");
  folder_.Write("lists/hidden.txt", ".h\r\n");
  folder_.Write("lists/.h", std::string(100, 'h'));
  const struct {
    std::vector<std::string> args;
    int exit_status;
    std::string out;
    std::string err;
  } cases[] = {
      {{"pack", "lists/empty.txt"},
       0,
       "Done\n",
       "Не найдено ни одного файла\n"},
      {{"pack", "lists/missing.txt"}, 1, "", "Ошибка 53File not found\n"},
      {{"pack", "lists/hidden.txt"}, 1, "", "Файл # 0 не существует!\n"},
      {{"pack", "lists/nothing.txt"}, 1, "", "Ошибка 53File not found\n"},
      {{"pack", "nofolder/list.txt"}, 1, "", "Ошибка 76Path not found\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.back());
    const ChildResult run = Mirlot(c.args);
    EXPECT_EQ(run.exit_status, c.exit_status);
    EXPECT_EQ(run.out, c.out);
    EXPECT_EQ(run.err, c.err);
  }
}

TEST_F(PackCommandTest, UsageHelpAndVersion) {
  const struct {
    std::vector<std::string> args;
    int exit_status;
    bool prints_out;  // something on standard output
  } cases[] = {
      {{}, 2, false},
      {{"pack"}, 2, false},
      {{"pack", "a", "b"}, 2, false},
      {{"frobnicate"}, 2, false},
      {{"--help"}, 0, true},
      {{"pack", "--help"}, 0, true},
      {{"--version"}, 0, true},
  };
  for (const auto& c : cases) {
    const ChildResult run = Mirlot(c.args);
    EXPECT_EQ(run.exit_status, c.exit_status);
    EXPECT_EQ(!run.out.empty(), c.prints_out);
  }
  EXPECT_EQ(Mirlot({"--version"}).out.rfind("mirlot ", 0), 0u);
}

}  // namespace
}  // namespace mirlot
