// Runs `mirlot` as built in a temporary folder: what each kind of run prints
// to standard output and standard error, its exit status, and what extract
// leaves behind. The fault rows of pack run in tests/faults/.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "support/child_process.h"
#include "support/packing_fixtures.h"
#include "support/temp_folder.h"
#include "support/text_match.h"

namespace mirlot {
namespace {

using namespace std::string_literals;

// In order: a row may use what the rows before it left. extract clears
// what a killed extraction left in its folder, and only that.
TEST(ExitStatusTest, StreamsAndExitStatusOfEveryKindOfRun) {
  TempFolder folder;
  // Payloads of 0 bytes, 3 MiB + 256 bytes and 1 byte.
  folder.Write("d/empty.dat", MemberBytes(54));
  folder.Write("d/with space.dat", MemberBytes((3 << 20) + 310, "W"));
  folder.Write("d/sub/c.dat", MemberBytes(55, "C"));
  folder.Write("d/list.txt", "empty.dat\r\nwith space.dat\r\nsub/c.dat\r\n");
  folder.Write("e/empty.txt", "");
  // A list named without a folder: the current folder is the working one.
  folder.Write("list.txt", "m.dat\n");
  folder.Write("m.dat", std::string(54, 'm'));
  // One empty entry and a trailing byte.
  folder.Write("bad.bin", "\0\0\0\x08\0\0\0\0x"s);
  // Lists that fail, each after its first member, f/a.dat; the 1002nd name
  // of f/long, which names nothing, is refused before it is looked up.
  folder.Write("f/a.dat", MemberBytes(54));
  folder.Write("f/short.dat", "x");
  std::filesystem::create_directory(folder.Native("f/sub"));
  std::filesystem::resize_file(folder.Native("f/a.dat"), 1u << 30);
  std::string names;
  for (int k = 0; k < 1001; ++k) names += "a.dat\n";
  const std::pair<const char*, std::string> lists[] = {
      {"missing", "a.dat\nb.dat\n"},  {"empty", "a.dat\n\nb.dat\n"},
      {"short", "a.dat,short.dat"},   {"folder", "a.dat\r\n\"a.dat\" ,sub\n"},
      {"large", "a.dat,a.dat,a.dat"}, {"long", names + "none.dat"}};
  for (const auto& [name, list] : lists) folder.Write("f/"s + name, list);
  // Payload "ax" where m.dat gives "ab", and a report without entry lines.
  folder.Write("v/m.dat", MemberBytes(56, "ab"));
  std::string many;
  for (int k = 0; k < 12; ++k) many += "m.dat\n";
  folder.Write("v/many.txt", many);
  folder.Write("v/out.bin", "\0\0\0\x08\0\0\0\2ax"s);
  folder.Write("v/report.txt",
               "#,            Name,          Offset,       Size\r\n");
  folder.Write("d/out/.mirlot-extract.tmp-Dead0001", "left over");
  folder.Write("d/out/.c.dat.tmp-Abcd1234", "the user's");
  // Standard output cannot be written: full, closed, or a pipe whose reader
  // has gone (a fifo opened by a reader that closes it at once).
  const std::string full = "exec >/dev/full", closed = "exec >&-",
                    broken = "rm -f p && mkfifo p && exec 3<>p >p 3<&-";
  // The list's fourth read fails: the report's first, after the list
  // stage's three (its start, its bytes, its end). Where strace cannot
  // trace, the row ends with 77 and is skipped.
  const std::string list_unread =
      "strace -o /dev/null true 2>/dev/null || exit 77; "
      "export ASAN_OPTIONS=detect_leaks=0; exec strace -f -qq -o /dev/null "
      "-P \"$PWD/d/list.txt\" -e trace=pread64 "
      "-e inject=pread64:error=EIO:when=4 \"$0\" \"$@\"";
  const std::string unwritten = ": cannot write to standard output\n",
                    inspect = "mirlot inspect" + unwritten,
                    extract = "mirlot extract" + unwritten;
  const struct {
    std::vector<std::string> args;
    int exit_status;
    std::string out, err;
    std::string shell = "";  // run first, in the shell that starts mirlot
  } cases[] = {
      // clang-format off
      {{"pack", "e/empty.txt"}, 0, "Done\n", "Не найдено ни одного файла\n"},
      {{"pack", "list.txt"}, 0, "Done\n", ""},
      {{"pack", "d/list.txt"}, 0, "Done\n", ""},
      {{"inspect", "d/out.bin"}, 0,
       "d/out.bin: 3146009 bytes, 3 entries\n"
       "names: from d/report.txt\n"
       "    #      offset      length  name\n"
       "    1          24           0  empty.dat\n"
       "    2          24     3145984  with space.dat\n"
       "    3     3146008           1  sub/c.dat\n"
       "sound\n", ""},
      {{"inspect", "--json", "d/out.bin"}, 0,
       "{\n  \"image\": \"d/out.bin\",\n…\n    {\"number\": 3, \"offset\": 3146008, \"length\": 1, \"name\": \"sub/c.dat\"}\n"
       "  ],\n  \"sound\": true,\n  \"problem_count\": 0,\n  \"problems\": []\n}\n", ""},
      {{"extract", "d/out.bin"}, 0,
       "    1  d/out/empty.dat (0 bytes)\n"
       "    2  d/out/with space.dat (3145984 bytes)\n"
       "    3  d/out/c.dat (1 byte)\n"
       "extracted 3 of 3 entries to d/out\n", ""},
      {{"extract", "d/out.bin"}, 1, "", "mirlot extract: d/out/empty.dat and 2 more files exist already; nothing extracted; --force replaces them\n"},
      {{"extract", "--force", "d/out.bin"}, 0, "…extracted 3 of 3 entries to d/out\n", ""},
      {{"verify", "d/list.txt"}, 0, "mirlot verify: d/out.bin and d/report.txt match d/list.txt\n", ""},
      {{"verify", "-q", "v/many.txt"}, 1, "mirlot verify: out.bin holds 1 entry, the list names 12\n…\nmirlot verify: and 4 more differences\n", ""},
      {{"verify", "e/empty.txt"}, 2, "", "mirlot verify: cannot read e/out.bin: File not found\n"},
      {{"inspect", "d/none.bin"}, 2, "", "mirlot inspect: cannot read d/none.bin: File not found\n"},
      {{"inspect", "bad.bin"}, 1, "bad.bin: 9 bytes, 1 entry\n…", ""},
      {{"extract", "bad.bin"}, 1, "", "mirlot extract: bad.bin is unsound; nothing extracted:\nmirlot extract:   entry 1: the last payload ends at 8, 1 byte before the end of the file: trailing bytes\n…"},
      // The message as it always was, then which entry or file, and why. A
      // path from the root with '/' is a path, not an option, on every host
      // (wine takes it from the root of the host's file system).
      {{"pack", "/no-such-folder/list.txt"}, 1, "", "Ошибка 76Path not found\nmirlot pack: reading the list /no-such-folder/list.txt: no such folder\n"},
      {{"pack", "f/missing"}, 1, "", "Ошибка 53File not found\nmirlot pack: entry #1 (list line 2, field 1): f/b.dat: no such file\n"},
      {{"pack", "f/empty"}, 1, "", "Ошибка 53File not found\nmirlot pack: list line 2, field 1 is empty\n"},
      {{"pack", "f/short"}, 1, "", "Файл # 1 короче 54 байт!\nmirlot pack: entry #1 (list line 1, field 2): f/short.dat: shorter than 54 bytes\n"},
      {{"pack", "f/folder"}, 1, "", "Файл # 2 не существует!\nmirlot pack: entry #2 (list line 2, field 2): f/sub: not a regular file\n"},
      {{"pack", "f/large"}, 1, "", "Ошибка 6Overflow\nmirlot pack: the image would reach 2 GiB at entry #2 (f/a.dat)\n"},
      {{"pack", "f/long"}, 1, "", "Ошибка 9Subscript out of range\nmirlot pack: list line 1002: more than 1001 names\n"},
      {{"pack", "d/list.txt"}, 1, "", "Ошибка 61Disk full\nmirlot pack: writing out.bin in d: no space left\n", "trap '' XFSZ; ulimit -f 1024"},
      {{"pack", "d/list.txt"}, 1, "", "Ошибка 75Path/File access error\nmirlot pack: entry #0 (list line 1, field 1): reading its name from the list: cannot be accessed\n", list_unread},
      // Every line of a usage error names the command.
      {{}, 2, "", "mirlot: a command is required: pack, inspect, extract or verify\n…"},
      {{"bogus"}, 2, "", "mirlot: unknown command 'bogus'\nmirlot: run 'mirlot --help' for more information\n"},
      {{"pack"}, 2, "", "mirlot pack: LIST is required\nmirlot pack: run 'mirlot pack --help' for more information\n"},
  // clang-format on
#ifdef _WIN32
      {{"/?"}, 0, "Mirlot packs…", ""},
#else
      {{"/?"}, 2, "", "mirlot: unknown command '/?'\n…"},
#endif
      {{"--version"}, 0, "mirlot …", ""},
      // inspect and extract report it; pack's status stays its outcome and
      // never becomes SIGPIPE's 141.
      {{"inspect", "out.bin"}, 2, "", inspect, full},
      {{"inspect", "--json", "out.bin"}, 2, "", inspect, closed},
      {{"inspect", "out.bin"}, 2, "", inspect, broken},
      {{"extract", "-o", "x", "out.bin"}, 2, "", extract, full},
      {{"pack", "list.txt"}, 0, "", "", full},
      {{"pack", "list.txt"}, 0, "", "", broken},
  };
  for (const auto& c : cases) {
    std::vector<std::string> argv = c.args;
    argv.insert(argv.begin(), MIRLOT_BINARY);
    if (!c.shell.empty()) {
#ifdef _WIN32
      continue;  // no POSIX shell to break the stream with
#endif
      argv.insert(argv.begin(),
                  {"/bin/sh", "-c", c.shell + "; exec \"$0\" \"$@\""});
    }
    const ChildResult run = RunChild(argv, folder.root().string());
    if (run.exit_status == 77) continue;
    SCOPED_TRACE(testing::PrintToString(c.args) + " after " + c.shell);
    EXPECT_EQ(run.exit_status, c.exit_status);
    EXPECT_TRUE(Matches(run.out, c.out, "…")) << run.out;
    EXPECT_TRUE(Matches(run.err, c.err, "…")) << run.err;
  }
  EXPECT_FALSE(std::filesystem::exists(
      folder.Native("d/out/.mirlot-extract.tmp-Dead0001")));
  EXPECT_EQ(folder.Read("d/out/.c.dat.tmp-Abcd1234"), "the user's");
  EXPECT_TRUE(folder.Read("d/out/with space.dat") ==
              folder.Read("d/with space.dat").substr(50, (3 << 20) + 256));
}

#ifndef _WIN32
// Where the file system neither renames without replacing (renameat2 fails
// with EINVAL) nor links a file twice (linkat with EPERM), and an entry's
// name looks free to extract's check (newfstatat fails with ENOENT for it),
// extract finds the file there as it places the entry, and changes nothing.
// (Placing entries there at all is a row of the file-system table in
// tests/faults/.)
TEST(ExitStatusTest, ExtractFindsANameTakenWithoutNoReplaceRenamesOrLinks) {
  if (RunChild({"/usr/bin/strace", "-o", "/dev/null", "/bin/true"})
          .exit_status != 0) {
    GTEST_SKIP() << "strace cannot trace here";
  }
  TempFolder folder;
  folder.Write("m/out.bin", "\0\0\0\x08\0\0\0\2ab"s);
  folder.Write("m/out/entry-0001.bin", "the user's");
  const FolderSnapshot before = folder.Snapshot();
  // clang-format off
  const ChildResult run = RunChild({"/usr/bin/env", "ASAN_OPTIONS=detect_leaks=0", "/usr/bin/strace", "-f", "-qq", "-o", "/dev/null",
      "-P", "entry-0001.bin", "-e", "inject=newfstatat:error=ENOENT", "-e", "inject=renameat2:error=EINVAL", "-e", "inject=linkat:error=EPERM",
      MIRLOT_BINARY, "extract", "m/out.bin"}, folder.root().string());
  // clang-format on
  EXPECT_EQ(run.exit_status, 1);
  EXPECT_EQ(run.out + run.err,
            "mirlot extract: m/out/entry-0001.bin: exists already\n");
  EXPECT_EQ(folder.Snapshot(), before);
}
#endif

}  // namespace
}  // namespace mirlot
