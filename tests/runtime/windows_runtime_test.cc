// The Windows rules of the runtime layer as tables: paths, list fields,
// device names and the names extract may give. Runs under wine in the cross
// builds. How Win32 errors become the program's numbers is seen through
// the Windows fault rows (a held file, a full drive, a missing folder).
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "runtime/path.h"
#include "runtime/windows_path.h"
#include "runtime/windows_text.h"

namespace mirlot {
namespace {

TEST(WindowsRuntimeTest, PathsResolveAgainstTheListsFolderDriveOrShare) {
  const char* rows[][3] = {
      // folder, path, resolved
      {R"(C:\lists)", R"(a\b.dat)", R"(C:\lists\a\b.dat)"},
      {R"(C:\)", "b.dat", R"(C:\b.dat)"},
      {R"(C:\lists)", R"(\b.dat)", R"(C:\b.dat)"},
      {R"(C:\lists)", "/b.dat", "C:/b.dat"},
      {R"(\\srv\share\lists)", R"(\b.dat)", R"(\\srv\share\b.dat)"},
      {R"(C:\lists)", "c:b.dat", R"(C:\lists\b.dat)"},
      {R"(C:\lists)", "D:b.dat", "D:b.dat"},
      {R"(C:\lists)", R"(a:\b.dat)", R"(a:\b.dat)"},
      {R"(C:\lists)", R"(\\srv\share\b.dat)", R"(\\srv\share\b.dat)"},
      {R"(C:\lists)", R"(\\?\C:\b.dat)", R"(\\?\C:\b.dat)"},
      {"lists", R"(\b.dat)", R"(\b.dat)"},
      {R"(C:\lists)", "", ""},
  };
  for (const auto& [folder, path, resolved] : rows) {
    EXPECT_EQ(ResolveIn(folder, path), resolved) << folder << " + " << path;
  }
}

TEST(WindowsRuntimeTest, ParentFolderAndLastComponentTakeBothSeparators) {
  const char* rows[][3] = {
      // path, parent, last component
      {R"(C:\lists\l.txt)", R"(C:\lists)", "l.txt"},
      {"C:/lists/l.txt", "C:/lists", "l.txt"},
      {R"(C:\l.txt)", R"(C:\)", "l.txt"},
      {"C:l.txt", "C:", "l.txt"},
      {R"(\\srv\share\l.txt)", R"(\\srv\share\)", "l.txt"},
      {R"(\\?\C:\l.txt)", R"(\\?\C:\)", "l.txt"},
      {R"(\\?\UNC\srv\share\l.txt)", R"(\\?\UNC\srv\share\)", "l.txt"},
      {"l.txt", ".", "l.txt"},
  };
  for (const auto& [path, parent, last] : rows) {
    EXPECT_EQ(ParentFolder(path), parent) << path;
    EXPECT_EQ(LastComponent(path), last) << path;
  }
}

TEST(WindowsRuntimeTest, LongPathsGetTheExtendedPrefixAfterNormalisation) {
  const std::string folder = R"(C:\)" + std::string(250, 'f');
  EXPECT_EQ(SystemPath(folder + R"(\x\..\a/b.dat)"),
            LR"(\\?\)" + Widen(folder) + LR"(\a\b.dat)");
  const std::string share = R"(\\srv\share\)" + std::string(250, 's');
  EXPECT_EQ(SystemPath(share),
            LR"(\\?\UNC\srv\share\)" + Widen(share.substr(12)));
  EXPECT_EQ(SystemPath(R"(C:\a\..\b.dat)"), LR"(C:\a\..\b.dat)");
}

TEST(WindowsRuntimeTest, FieldsAreUtf8WhenValidElseTheAnsiCodePage) {
  // "Файл" in UTF-8 and in code page 1251.
  const std::string utf8 = "\xD0\xA4\xD0\xB0\xD0\xB9\xD0\xBB";
  const std::string cp1251 = "\xD4\xE0\xE9\xEB";
  EXPECT_EQ(DecodeInCodePage(cp1251, 1251), utf8);
  EXPECT_EQ(PathFromListField(utf8), utf8);
  if (::GetACP() != 1251) {
    GTEST_SKIP() << "the ANSI code page is " << ::GetACP()
                 << ", not 1251 (run under the ru_RU.UTF-8 locale)";
  }
  EXPECT_EQ(PathFromListField(cp1251 + ".dat"), utf8 + ".dat");
}

// Device names whatever their extension and case; extract takes only names
// Windows can hold, and compares them case-folded.
TEST(WindowsRuntimeTest, ExtractTakesOnlyNamesWindowsCanHoldCaseFolded) {
  for (const char* name :
       {"NUL", "nul", "nul.txt", "CON", "con.dat.bin", "Com1", "LPT9.log",
        "aux .txt", "PRN", "CONIN$", "COM\xC2\xB9"}) {
    EXPECT_TRUE(IsDeviceName(name)) << name;
    EXPECT_FALSE(PlatformHoldsName(name)) << name;
  }
  for (const char* name :
       {"NULL", "COM", "COM0", "COM10", "LPT", "xnul", "con_1.dat", ".nul",
        "a.con", "a.dat", ".hidden", "name with spaces.x", "\xD0\xB4.dat"}) {
    EXPECT_FALSE(IsDeviceName(name)) << name;
    EXPECT_TRUE(PlatformHoldsName(name)) << name;
  }
  for (const char* name : {"a<b", "a>b", "a:b", "a\"b", "a|b", "a?b", "a*b",
                           "dot.", "space ", ""}) {
    EXPECT_FALSE(PlatformHoldsName(name)) << name;
  }
  EXPECT_EQ(FileNameKey("dup"), FileNameKey("DUP"));
  EXPECT_EQ(FileNameKey("\xD0\xB4.dat"), FileNameKey("\xD0\x94.DAT"));
  EXPECT_NE(FileNameKey("dup"), FileNameKey("dup2"));
}

}  // namespace
}  // namespace mirlot
