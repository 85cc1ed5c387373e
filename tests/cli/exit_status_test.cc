// Each subcommand of the `mirlot` binary as built: what goes to standard
// output and standard error, and the exit status. Packing good lists and
// every failure row run in tests/faults/.
#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/temp_folder.h"

namespace mirlot {
namespace {

// `expected` exactly or, when it ends with "…", anything longer that starts
// with what comes before.
bool Matches(const std::string& actual, std::string expected) {
  if (!expected.ends_with("…")) return actual == expected;
  expected.resize(expected.size() - std::string("…").size());
  return actual.size() > expected.size() && actual.starts_with(expected);
}

TEST(ExitStatusTest, StreamsAndExitStatusOfEveryKindOfRun) {
  TempFolder folder;
  folder.Write("d/empty.txt", "");
  // A list named without a folder: the current folder is the working one.
  folder.Write("list.txt", "m.dat\n");
  folder.Write("m.dat", std::string(54, 'm'));
  // One empty entry and a trailing byte.
  folder.Write("bad.bin", std::string("\0\0\0\x08\0\0\0\0x", 9));
  // Standard output cannot be written: full, closed, or a pipe whose reader
  // has gone (a fifo opened by a reader that closes it at once).
  const std::string full = "exec >/dev/full", closed = "exec >&-",
                    broken = "rm -f p && mkfifo p && exec 3<>p >p 3<&-";
  const std::string unwritten = ": cannot write to standard output\n";
  const struct {
    std::vector<std::string> args;
    int exit_status;
    std::string out, err;
    std::string shell = "";  // run first, in the shell that starts mirlot
  } cases[] = {
      {{"pack", "d/empty.txt"}, 0, "Done\n", "Не найдено ни одного файла\n"},
      {{"pack", "list.txt"}, 0, "Done\n", ""},
      {{"pack", "d/none.txt"}, 1, "", "Ошибка 53File not found\n"},
      {{"inspect", "d/none.bin"},
       2,
       "",
       "mirlot inspect: cannot read d/none.bin: File not found\n"},
      {{"inspect", "bad.bin"}, 1, "bad.bin: 9 bytes, 1 entry\n…", ""},
      {{"extract", "bad.bin"},
       1,
       "",
       "mirlot extract: bad.bin is unsound; nothing extracted:\n…"},
      {{}, 2, "", "A subcommand is required\n…"},
      {{"pack"}, 2, "", "LIST is required\n…"},
      {{"extract", "out.bin", "--bogus"},
       2,
       "",
       "The following argument was not expected: --bogus\n…"},
      {{"--help"}, 0, "…", ""},
      {{"--version"}, 0, "mirlot …", ""},
      // inspect and extract report it; pack's status stays its outcome and
      // never becomes SIGPIPE's 141.
      {{"inspect", "out.bin"}, 2, "", "mirlot inspect" + unwritten, full},
      {{"inspect", "--json", "out.bin"},
       2,
       "",
       "mirlot inspect" + unwritten,
       closed},
      {{"inspect", "out.bin"}, 2, "", "mirlot inspect" + unwritten, broken},
      {{"extract", "-o", "x", "out.bin"},
       2,
       "",
       "mirlot extract" + unwritten,
       full},
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
    const ChildResult run = RunChild(argv, {.cwd = folder.root().string()});
    SCOPED_TRACE(testing::PrintToString(c.args) + " after " + c.shell);
    EXPECT_EQ(run.exit_status, c.exit_status);
    EXPECT_TRUE(Matches(run.out, c.out)) << run.out;
    EXPECT_TRUE(Matches(run.err, c.err)) << run.err;
  }
}

}  // namespace
}  // namespace mirlot
