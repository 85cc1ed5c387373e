// Runs `mirlot` as built in a temporary folder: what each kind of run prints
// to standard output and standard error, its exit status, and what extract
// leaves behind. The fault rows of pack run in tests/faults/.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/file_system.h"
#include "support/child_process.h"
#include "support/packing_fixtures.h"
#include "support/temp_folder.h"
#include "support/text_match.h"

namespace mirlot {
namespace {

using namespace std::string_literals;
using Words = std::vector<std::string>;

// Windows alone puts a backslash between names.
constexpr bool kPosix = std::filesystem::path::preferred_separator == '/';

class ExitStatusTest : public testing::Test {
 protected:
  // Lists and the outputs of two, d/list.txt and list.txt, as packed.
  void SetUp() override {
    // Payloads of 0 bytes, 3 MiB + 256 bytes and 1 byte.
    folder_.Write("d/empty.dat", MemberBytes(54));
    folder_.Write("d/with space.dat", MemberBytes((3 << 20) + 310, "W"));
    folder_.Write("d/sub/c.dat", MemberBytes(55, "C"));
    folder_.Write("d/list.txt", "empty.dat\r\nwith space.dat\r\nsub/c.dat\r\n");
    folder_.Write("e/empty.txt", "");
    // A list named without a folder: the current folder is the working one.
    folder_.Write("list.txt", "m.dat\n");
    folder_.Write("m.dat", std::string(54, 'm'));
    for (const char* list : {"d/list.txt", "list.txt"}) {
      ASSERT_EQ(PackList(HostFileSystem(), folder_.Path(list)),
                RunOutcome::kDone);
    }
    // Two entries, the second cut short: "a", then 2 bytes of 5.
    folder_.Write("bad.bin", "\0\0\0\x10\0\0\0\1\0\0\0\x11\0\0\0\5abc"s);
  }

  // `mirlot args` (split at blanks), started by `before` when given, ends
  // with `status`, `out` and `err`; "…" stands for one character or more.
  void Expect(const std::string& args, int status, const std::string& out,
              const std::string& err = "", const Words& before = {}) const {
    Words argv = before;
    argv.push_back(MIRLOT_BINARY);
    std::istringstream words(args);
    for (std::string word; words >> word;) argv.push_back(word);
    const ChildResult run = RunChild(argv, folder_.root().string());
    SCOPED_TRACE(testing::PrintToString(argv));
    EXPECT_EQ(run.exit_status, status);
    EXPECT_TRUE(Matches(run.out, out, "…")) << run.out;
    EXPECT_TRUE(Matches(run.err, err, "…")) << run.err;
  }

  TempFolder folder_;
};

TEST_F(ExitStatusTest, PackSaysDone) {
  Expect("pack e/empty.txt", 0, "Done\n", "Не найдено ни одного файла\n");
  Expect("pack list.txt", 0, "Done\n");
}

// The message as it always was, then which entry or file, and why.
TEST_F(ExitStatusTest, PackSaysWhichEntryFailedAndWhy) {
  // A path from the root with '/' is a path, not an option, on every host
  // (wine takes it from the root of the host's file system).
  Expect("pack /no-such-folder/list.txt", 1, "",
         "Ошибка 76Path not found\nmirlot pack: reading the list "
         "/no-such-folder/list.txt: no such folder\n");
  // Each list fails after its first member, a.dat; the 1002nd name of the
  // last, which names nothing, is refused before it is looked up.
  folder_.Write("f/a.dat", MemberBytes(54));
  folder_.Write("f/short.dat", "x");
  std::filesystem::create_directory(folder_.Native("f/sub"));
  std::filesystem::resize_file(folder_.Native("f/a.dat"), 1u << 30);
  std::string names;
  for (int k = 0; k < 1001; ++k) names += "a.dat\n";
  const std::string fails[][3] = {
      {"a.dat\nb.dat\n", "Ошибка 53File not found",
       "list line 2, field 1: f/b.dat: no such file"},
      {"a.dat\n\nb.dat\n", "Ошибка 53File not found",
       "list line 2, field 1 is empty"},
      {"a.dat,short.dat", "Файл # 1 короче 54 байт!",
       "list line 1, field 2: f/short.dat: shorter than 54 bytes"},
      {"a.dat\r\n\"a.dat\" ,sub\n", "Файл # 2 не существует!",
       "list line 2, field 2: f/sub: not a regular file"},
      {"a.dat,a.dat,a.dat", "Ошибка 6Overflow",
       "list line 1, field 3: f/a.dat: the image would reach 2 GiB with it"},
      // Windows holds no name with a line end in it.
      {"a.dat\n\"x, y\nb.dat\n",
       kPosix ? "Ошибка 53File not found" : "Ошибка 52Bad file name or number",
       "list line 2, field 1: the quote opened on line 2 is never closed, "
       "so the name runs to the end of the list"},
      {names + "none.dat", "Ошибка 9Subscript out of range",
       "list line 1002: more than 1001 names"}};
  for (const auto& [list, message, detail] : fails) {
    folder_.Write("f/list", list);
    Expect("pack f/list", 1, "", message + "\nmirlot pack: " + detail + "\n");
  }
}

TEST_F(ExitStatusTest, PackSaysWhenItCannotReadTheListAgain) {
  if (!StraceWorks()) GTEST_SKIP() << "strace cannot trace here";
  // The list's fourth read fails: the report's first, after the list
  // stage's three (its start, its bytes, its end).
  Expect("pack d/list.txt", 1, "",
         "Ошибка 75Path/File access error\nmirlot pack: list line 1, field 1: "
         "reading its name from the list: cannot be accessed\n",
         Traced({"-P", folder_.Path("d/list.txt"), "-e", "trace=pread64", "-e",
                 "inject=pread64:error=EIO:when=4"}));
}

TEST_F(ExitStatusTest, InspectListsTheEntriesAndJudgesTheImage) {
  Expect("inspect d/out.bin", 0,
         "d/out.bin: 3146009 bytes, 3 entries\n"
         "names: from d/report.txt\n"
         "    #      offset      length  name\n"
         "    1          24           0  empty.dat\n"
         "    2          24     3145984  with space.dat\n"
         "    3     3146008           1  sub/c.dat\n"
         "sound\n");
  Expect("inspect --json d/out.bin", 0,
         "{\n  \"image\": \"d/out.bin\",\n…\n    {\"number\": 3, \"offset\": "
         "3146008, \"length\": 1, \"name\": \"sub/c.dat\"}\n  ],\n  \"sound\": "
         "true,\n  \"problem_count\": 0,\n  \"problems\": []\n}\n");
  Expect("inspect d/none.bin", 2, "",
         "mirlot inspect: cannot read d/none.bin: File not found\n");
  Expect("inspect bad.bin", 1, "bad.bin: 19 bytes, 2 entries\n…");
  // A list is no image: one line, no rows read from its text.
  Expect("inspect d/list.txt", 1, "",
         "mirlot inspect: d/list.txt is not a Mirlot image: entry 1: offset "
         "1701671028 is not a multiple of 8, so the table ends inside an "
         "entry\n");
  Expect("inspect --json d/list.txt", 1,
         "{\n  \"image\": \"d/list.txt\",\n  \"size\": 38,\n  "
         "\"not_an_image\": \"entry 1: offset 1701671028 is …\",\n  "
         "\"sound\": false\n}\n");
}

// extract clears what a killed extraction left in its folder, and only that.
TEST_F(ExitStatusTest, ExtractWritesEachPayloadAndClearsItsLeftovers) {
  folder_.Write("d/out/.mirlot-extract.tmp-Dead0001", "left over");
  folder_.Write("d/out/.c.dat.tmp-Abcd1234", "the user's");
  Expect("extract d/out.bin", 0,
         "    1  d/out/empty.dat (0 bytes)\n"
         "    2  d/out/with space.dat (3145984 bytes)\n"
         "    3  d/out/c.dat (1 byte)\n"
         "extracted 3 of 3 payloads to d/out\n");
  EXPECT_FALSE(std::filesystem::exists(
      folder_.Native("d/out/.mirlot-extract.tmp-Dead0001")));
  EXPECT_EQ(folder_.Read("d/out/.c.dat.tmp-Abcd1234"), "the user's");
  EXPECT_TRUE(folder_.Read("d/out/with space.dat") ==
              folder_.Read("d/with space.dat").substr(50, (3 << 20) + 256));
}

TEST_F(ExitStatusTest, ExtractRefusesExistingFilesAndUnsoundImages) {
  for (const char* name : {"empty.dat", "with space.dat", "c.dat"})
    folder_.Write("d/out/"s + name, "the user's");
  Expect("extract d/out.bin", 1, "",
         "mirlot extract: d/out/empty.dat and 2 more files exist already; "
         "nothing extracted; --force replaces them\n");
  Expect("extract --force d/out.bin", 0,
         "…extracted 3 of 3 payloads to d/out\n");
  Expect("extract bad.bin", 1, "",
         "…mirlot extract: bad.bin is unsound; nothing extracted:\n"
         "mirlot extract:   entry 2: payload ends at 22, 3 bytes past the end "
         "of the file\n…");
  // What lies inside is written, but the run failed.
  Expect("extract --force bad.bin", 1,
         "    1  bad/entry-0001.bin (1 byte)\n"
         "extracted 1 of 2 payloads to bad; 1 entry skipped\n",
         "…");
}

TEST_F(ExitStatusTest, VerifySaysWhetherTheOutputsMatchTheList) {
  // Payload "ax" where m.dat gives "ab", and a report without entry lines.
  folder_.Write("v/m.dat", MemberBytes(56, "ab"));
  std::string many;
  for (int k = 0; k < 12; ++k) many += "m.dat\n";
  folder_.Write("v/many.txt", many);
  folder_.Write("v/out.bin", "\0\0\0\x08\0\0\0\2ax"s);
  folder_.Write("v/report.txt",
                "#,            Name,          Offset,       Size\r\n");
  Expect("verify d/list.txt", 0,
         "mirlot verify: d/out.bin and d/report.txt match d/list.txt\n");
  Expect("verify -q v/many.txt", 1,
         "mirlot verify: out.bin holds 1 entry, the list names 12\n…\n"
         "mirlot verify: and 4 more differences\n");
  Expect("verify e/empty.txt", 2, "",
         "mirlot verify: cannot read e/out.bin: File not found\n");
}

// A usage error says what was wrong, then where to read more; every line
// names the command.
TEST_F(ExitStatusTest, UsageErrorsNameTheCommand) {
  const std::string rows[][2] = {
      {"",
       "mirlot: a command is required: pack, inspect, extract or verify\n…"},
      {"bogus", "mirlot: unknown command 'bogus'\n…"},
      {"--bogus", "mirlot: unknown option '--bogus'\n…"},
      {"pack",
       "mirlot pack: missing LIST\n"
       "mirlot pack: run 'mirlot pack --help' for more information\n"},
      {"pack list.txt x", "mirlot pack: unexpected argument 'x'\n…"},
      {"verify --bogus list.txt", "mirlot verify: unknown option '--bogus'\n…"},
      {"extract out.bin -o", "mirlot extract: --output needs a folder name\n…"},
      {"inspect --json=x out.bin", "mirlot inspect: --json takes no value\n…"}};
  for (const auto& [args, err] : rows) Expect(args, 2, "", err);
  if (kPosix) Expect("/?", 2, "", "mirlot: unknown command '/?'\n…");
  if (!kPosix) Expect("/?", 0, "Mirlot packs…");
  Expect("--version", 0, "mirlot …");
}

// A signal, sent by strace as the run enters a system call, stops a run
// with 128 + its number and one line on what it left: pack as it writes its
// outputs (fdatasync) or waits for a folder another run holds locked (its
// first sleep), verify as it reads the list, each changing nothing, and
// extract at its fourth write, which ends the second payload.
TEST_F(ExitStatusTest, ASignalStopsTheRunWhichSaysWhatItLeft) {
  if (!StraceWorks()) GTEST_SKIP() << "strace cannot trace here";
  const auto at = [](const std::string& call, const std::string& signal,
                     int when = 1) {
    return Traced({"-e", "inject=" + call + ":signal=" + signal +
                             ":when=" + std::to_string(when)});
  };
  const std::string kept =
      "mirlot pack: cancelled; out.bin and report.txt are as they were\n";
  const FolderSnapshot before = folder_.Snapshot();
  Expect("pack d/list.txt", 143, "", kept, at("fdatasync", "TERM"));
  Expect("pack d/list.txt", 129, "", kept, at("fdatasync", "HUP"));
  Expect("pack d/list.txt", 130, "",
         "mirlot pack: another run is writing into …/d; waiting for it to "
         "finish\n" +
             kept,
         Sh("exec 9<d && flock 9", at("clock_nanosleep", "INT")));
  Expect("verify d/list.txt", 130, "",
         "mirlot verify: cancelled; nothing was written\n",
         Traced({"-P", folder_.Path("d/list.txt"), "-e",
                 "inject=pread64:signal=INT:when=1"}));
  EXPECT_EQ(folder_.Snapshot(), before);
  // AddressSanitizer writes to a pipe of its own as it checks memory, so a
  // signal at the N-th write of a program it watches lands anywhere.
#ifndef __SANITIZE_ADDRESS__
  Expect("extract d/out.bin", 130,
         "    1  d/out/empty.dat (0 bytes)\n    2  d/out/with space.dat …\n",
         "mirlot extract: cancelled after 2 of 3 payloads; those 2 files stay "
         "in d/out\n",
         at("write", "INT", 4));
#endif
}

// inspect and extract report it; pack's status stays its outcome and
// never becomes SIGPIPE's 141.
TEST_F(ExitStatusTest, AFailedWriteToStandardOutputIsReported) {
  if (!kPosix) GTEST_SKIP() << "no POSIX shell to break standard output";
  // Full, closed, or a pipe whose reader has gone (a fifo opened by a
  // reader that closes it at once).
  const Words full = Sh("exec >/dev/full"), closed = Sh("exec >&-"),
              broken = Sh("rm -f p && mkfifo p && exec 3<>p >p 3<&-");
  const std::string unwritten = ": cannot write to standard output\n";
  Expect("inspect out.bin", 2, "", "mirlot inspect" + unwritten, full);
  Expect("inspect --json out.bin", 2, "", "mirlot inspect" + unwritten, closed);
  Expect("extract -o x out.bin", 2, "", "mirlot extract" + unwritten, full);
  Expect("pack list.txt", 0, "", "", full);
  Expect("pack list.txt", 0, "", "", broken);
}

// Where the file system neither renames without replacing (renameat2 fails
// with EINVAL) nor links a file twice (linkat with EPERM), and an entry's
// name looks free to extract's check (newfstatat fails with ENOENT for it),
// extract finds the file there as it places the entry, and changes nothing:
// what a file that appears under an entry's name meanwhile meets anywhere.
// (Placing entries there at all is a row of the file-system table in
// tests/faults/.)
TEST_F(ExitStatusTest, ExtractFindsANameTakenWithoutNoReplaceRenamesOrLinks) {
  if (!StraceWorks()) GTEST_SKIP() << "strace cannot trace here";
  folder_.Write("m/out.bin", "\0\0\0\x08\0\0\0\2ab"s);
  folder_.Write("m/out/entry-0001.bin", "the user's");
  const FolderSnapshot before = folder_.Snapshot();
  Expect("extract m/out.bin", 1, "",
         "mirlot extract: m/out/entry-0001.bin: exists already\n",
         Traced({"-P", "entry-0001.bin", "-e", "inject=newfstatat:error=ENOENT",
                 "-e", "inject=renameat2:error=EINVAL", "-e",
                 "inject=linkat:error=EPERM"}));
  EXPECT_EQ(folder_.Snapshot(), before);
}

}  // namespace
}  // namespace mirlot
