// Runs the real `mirlot pack` against faults only the host's kernel or the
// Windows runtime can make: FIFOs, links, folders in place of files, full
// file systems, file-size limits, permissions, signals, attributes, devices,
// and the list stage's refusals, which no other suite runs; and every
// command within a memory limit.
// Every failing run must print its one exact message, exit with 1 (a
// command that reads, with its own status) and leave the folder exactly as
// it was (an earlier out.bin and report.txt byte for byte, no temporary
// file).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/packing_fixtures.h"
#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mirlot {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

const std::string k53 = "Ошибка 53File not found";
const std::string k61 = "Ошибка 61Disk full";
const std::string k70 = "Ошибка 70Permission denied";
const std::string k75 = "Ошибка 75Path/File access error";
const std::string kMissing1 = "Файл # 1 не существует!";
const char* const kStrace = "/usr/bin/strace";

struct FaultRow {
  const char* name;
  std::string list;  // written to work/list.txt
  std::string kind;  // what Arrange() makes of work/`path`
  std::string path;  // also the list given when `list` is empty
  std::string message;
};

class PackFaults : public ::testing::Test {
 protected:
  // Packs keep.dat in work/ so that an earlier out.bin and report.txt are
  // there, and adds the members a.dat, b.dat and .h.dat.
  void SetUp() override {
    ASSERT_TRUE(PackEarlier(scratch_, "work/"));
    for (const char* member : {"work/a.dat", "work/b.dat", "work/.h.dat"}) {
      scratch_.Write(member, MemberBytes(100));
    }
  }

  // Packs keep.dat in `folder`/`where`: an earlier out.bin and report.txt.
  bool PackEarlier(const TempFolder& folder, const std::string& where) {
    folder.Write(where + "keep.dat", MemberBytes(60, "KEEP01"));
    folder.Write(where + "earlier.lst", "keep.dat\n");
    return Pack(folder.Path(where + "earlier.lst")).exit_status == 0;
  }

  // Runs `prefix` + `mirlot pack LIST` from the scratch folder, so that a
  // stray write to the current folder shows as well.
  ChildResult Pack(const std::string& list,
                   std::vector<std::string> prefix = {}) {
    prefix.insert(prefix.end(), {MIRLOT_BINARY, "pack", list});
    return RunChild(prefix, scratch_.root().string());
  }

  // Runs `mirlot pack LIST` under strace with `options`, as Pack does.
  ChildResult TracedPack(const std::string& list,
                         const std::vector<std::string>& options) {
    // The leak checker of sanitizer builds cannot work traced.
    // clang-format off
    std::vector<std::string> prefix = {"/usr/bin/env", "ASAN_OPTIONS=detect_leaks=0", kStrace, "-f", "-qq", "-o", "/dev/null"};
    // clang-format on
    prefix.insert(prefix.end(), options.begin(), options.end());
    return Pack(list, prefix);
  }

  // Packs `list` (in the scratch folder, or a full path), which must fail
  // with exactly `message`, then a detail, and change nothing in the scratch
  // folder or, when there is one, on the small drive.
  void ExpectRefused(const std::string& list, const std::string& message,
                     const std::vector<std::string>& prefix = {}) {
    const TempFolder& watched = drive_ ? *drive_ : scratch_;
    const FolderSnapshot before = watched.Snapshot();
    const ChildResult run = Pack(scratch_.Path(list), prefix);
    EXPECT_EQ(run.exit_status, 1) << "137: ended at the deadline";
    EXPECT_EQ(run.out, "");
    // The message, then its detail (rows in tests/cli/exit_status_test.cc).
    EXPECT_EQ(run.err.substr(0, message.size() + 14),
              message + "\nmirlot pack: ");
    EXPECT_EQ(watched.Snapshot(), before);
  }

  // Writes work/list.txt and makes work/`row.path` a "folder" (in place of
  // what was there), a "pipe", a "link" (dangling) or a "hard link" (to
  // out.bin); on Windows also a "hidden" or "system" file, one "held" (open,
  // sharing nothing) or the "full drive" row. Returns why the row cannot
  // run here, or "".
  std::string Arrange(const FaultRow& row) {
    const fs::path path = scratch_.Native("work/" + row.path);
    scratch_.Write("work/list.txt", row.list);
    list_ = "work/" + (row.list.empty() ? row.path : "list.txt");
    std::error_code error;
    if (row.kind == "folder") {
      fs::remove(path);
      fs::create_directory(path);
    }
    if (row.kind == "link") fs::create_symlink("gone", path, error);
    if (row.kind == "hard link") {
      fs::create_hard_link(scratch_.Native("work/out.bin"), path);
    }
    if (error) return "no symbolic links here: " + error.message();
#ifdef _WIN32
    if (row.kind == "pipe") return "no named pipes in a Windows folder";
    if (row.list.find(".h.dat") != std::string::npos) {
      return "a dot-file is ordinary on Windows";
    }
    return ArrangeOnWindows(row, path);
#else
    if (row.kind == "pipe") ::mkfifo(path.c_str(), 0644);
    return "";
#endif
  }

  // A small file system at `folder` holds the earlier outputs and the list;
  // the member, 1 MiB, lies outside it and its payload does not fit.
  std::string ArrangeFullDrive(const std::string& folder) {
    drive_.emplace(folder);
    if (!PackEarlier(*drive_, "")) return "cannot pack in " + folder;
    scratch_.Write("work/huge.dat", MemberBytes(1 << 20));
    drive_->Write("list.txt", scratch_.Path("work/huge.dat"));
    list_ = drive_->Path("list.txt");
    return "";
  }

#ifdef _WIN32
  std::string ArrangeOnWindows(const FaultRow& row, const fs::path& path) {
    const DWORD attributes = row.kind == "hidden"   ? FILE_ATTRIBUTE_HIDDEN
                             : row.kind == "system" ? FILE_ATTRIBUTE_SYSTEM
                                                    : 0;
    if (attributes && !::SetFileAttributesW(path.c_str(), attributes)) {
      return "cannot set the attributes of " + row.path;
    }
    if (row.kind == "held") {
      held_ = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
      if (held_ == INVALID_HANDLE_VALUE) return "cannot open " + row.path;
    }
    if (row.kind != "full drive") return "";
    // Drive M: of the wine prefix, a tmpfs of 256 KiB.
    ULARGE_INTEGER total{};
    if (!::GetDiskFreeSpaceExW(L"M:\\", nullptr, &total, nullptr) ||
        total.QuadPart > (1u << 20)) {
      return "no small drive M: (tests/faults/full_drive.sh maps a 256 KiB "
             "tmpfs there when run as root)";
    }
    return ArrangeFullDrive("M:\\");
  }

  HANDLE held_ = INVALID_HANDLE_VALUE;
#endif

  TempFolder scratch_;
  std::optional<TempFolder> drive_;  // on a small drive of its own
  std::string list_;                 // the list Arrange() made
};

const FaultRow kFaultRows[] = {
    {"ListIsFolder", "", "folder", "list.d", k75},
    {"ListIsPipe", "", "pipe", "list.p", k75},
    {"MemberBelowAFile", "a.dat\na.dat/b.dat\n", "", "", k53},
    {"MemberIsDotFile", "a.dat\n.h.dat\n", "", "", kMissing1},
    {"MemberIsPipe", "a.dat\np\n", "pipe", "p", kMissing1},
    {"MemberIsDanglingLink", "a.dat\nl\n", "link", "l", k53},
    // A path cut at the NUL would be packed.
    // clang-format off
    {"FieldWithNulByte", "a.dat\nb.dat\0x\n"s, "", "", "Ошибка 52Bad file name or number"},
    // clang-format on
    // The report's move fails after out.bin's: out.bin is put back.
    {"ReportNameTakenByFolder", "a.dat\n", "folder", "report.txt", k75},
    {"ImageNameTakenByFolder", "a.dat\n", "folder", "out.bin", k75},
    // A list that is one of the outputs would be lost to them.
    {"ListIsTheReport", "", "", "report.txt", k75},
    {"ListIsALinkToTheImage", "", "hard link", "list.lnk", k75},
#ifdef _WIN32
    {"HiddenMember", "a.dat\nb.dat\n", "hidden", "b.dat", kMissing1},
    {"SystemMember", "a.dat\n", "system", "a.dat", "Файл # 0 не существует!"},
    {"ConMember", "CON\n", "", "", "Файл # 0 не существует!"},
    // clang-format off
    {"NulTxtMember", "a.dat\nb.dat\nnul.txt\n", "", "", "Файл # 2 не существует!"},
    // clang-format on
    {"ImageHeldOpen", "a.dat\n", "held", "out.bin", k70},
    {"ReportHeldOpen", "a.dat\n", "held", "report.txt", k70},
    {"FullDrive", "", "full drive", "", k61},
#endif
};

class PackFaultRows : public PackFaults,
                      public ::testing::WithParamInterface<FaultRow> {};

TEST_P(PackFaultRows, FailsWithItsMessageAndChangesNothing) {
  if (const std::string why = Arrange(GetParam()); !why.empty()) {
    GTEST_SKIP() << why;
  }
  ExpectRefused(list_, GetParam().message);
#ifdef _WIN32
  // A held file reads as empty in the snapshots: out.bin is read again
  // once it is let go, as packed before each test.
  if (held_ == INVALID_HANDLE_VALUE) return;
  ::CloseHandle(held_);
  EXPECT_EQ(scratch_.Read("work/out.bin"), "\0\0\0\x08\0\0\0\x06KEEP01"s);
#endif
}

std::string RowName(const ::testing::TestParamInfo<FaultRow>& row) {
  return row.param.name;
}
INSTANTIATE_TEST_SUITE_P(Files, PackFaultRows, ::testing::ValuesIn(kFaultRows),
                         RowName);

#ifndef _WIN32
bool Traceable() {
  return RunChild({kStrace, "-o", "/dev/null", "/bin/true"}).exit_status == 0;
}

// How many times a traced run whose strace log is `log` called `syscall`
// before the first fdatasync, which begins its commit.
int CallsBeforeTheCommit(const std::string& log, const std::string& syscall) {
  int calls = 0;
  std::istringstream lines(log);
  for (std::string line; std::getline(lines, line);) {
    const std::size_t name = line.find_first_not_of("0123456789 ");
    if (line.compare(name, 10, "fdatasync(") == 0) break;
    if (line.compare(name, syscall.size() + 1, syscall + "(") == 0) ++calls;
  }
  return calls;
}
#endif

// A pack of a new list killed at its N-th step, for every N until a run is
// not killed: at each file operation of its folder (crash_pack, on every
// host) and, through strace, at each call of every system call its commit
// makes, where the file system can swap two names and where it cannot
// (every renameat2 fails with EINVAL). Then crash_pack's runs whose folder
// moves away at their N-th operation, an empty folder taking its place as
// a link swapped in the path would make it (Windows refuses to move a
// folder a run holds open), with "move-fail" failing the next operation:
// every name stays in the folder the run opened, and the folder now at the
// path gets nothing. inspect, the first command after it, finds one whole
// pair: the earlier one while the run's record is there or the run failed,
// the new one only when the run succeeded. The next pack leaves nothing of
// the run behind.
TEST_F(PackFaults, KillOrMoveAtEveryStepOfTheCommitLeavesOnePair) {
  scratch_.Write("src/a.dat", MemberBytes(100));
  scratch_.Write("work/list.txt", scratch_.Path("src/a.dat") + "\n");
  const std::string list = scratch_.Path("work/list.txt");
  const fs::path work = scratch_.Native("work"), moved = scratch_.Native("m");
  struct Killer {
    std::string swap, syscall;  // no syscall: crash_pack
    int first = 1;
    std::vector<std::string> action = {};  // crash_pack's, after N and LIST
    int step = 1;
  };
  const std::vector<std::string> move = {"move", work.string(), moved.string()};
#ifdef _WIN32
  std::vector<Killer> killers = {{}, {"", "", 1, move, 3}};
#else
  std::vector<Killer> killers = {
      {}, {"", "", 1, move}, {"", "", 1, {"move-fail", move[1], move[2]}}};
  // trace=all is what strace does anyway.
  for (const std::string swap :
       {"trace=all", "inject=renameat2:error=EINVAL"}) {
    if (!Traceable()) break;
    ASSERT_EQ(
        TracedPack(list, {"-o", scratch_.Path("log"), "-e", swap}).exit_status,
        0);
    ASSERT_TRUE(PackEarlier(scratch_, "work/"));
    const std::string log = scratch_.Read("log");
    for (const std::string syscall :
         {"fdatasync", "openat", "write", "newfstatat", "flock", "renameat2",
          "renameat", "rename", "linkat", "fsync", "unlinkat", "unlink",
          "close"}) {
      if (swap.starts_with("inject") && syscall == "renameat2") continue;
      killers.push_back(
          {swap, syscall, CallsBeforeTheCommit(log, syscall) + 1});
    }
  }
#endif
  for (const Killer& killer : killers) {
    for (int n = killer.first;; n += killer.step) {
      const std::string when = std::to_string(n);
      std::vector<std::string> crash = {CRASH_PACK_BINARY, when, list};
      crash.insert(crash.end(), killer.action.begin(), killer.action.end());
      SCOPED_TRACE(killer.swap + killer.syscall +
                   testing::PrintToString(crash));
      const ChildResult run =
          killer.syscall.empty()
              ? RunChild(crash)
              : TracedPack(list, {"-e", killer.swap, "-e",
                                  "inject=" + killer.syscall +
                                      ":signal=KILL:when=" + when});
      if (run.out == "moved\n") {
        EXPECT_TRUE(fs::is_empty(work));
        fs::remove(work);
        fs::rename(moved, work);
      }
      const bool recorded = fs::exists(scratch_.Native("work/.mirlot-commit"));
      const std::string shown =
          RunChild({MIRLOT_BINARY, "inspect", scratch_.Path("work/out.bin")})
              .out;
      const bool earlier = shown.ends_with("  keep.dat\nsound\n");
      EXPECT_TRUE(earlier || shown.ends_with("a.dat\nsound\n")) << shown;
      EXPECT_TRUE(earlier ? run.exit_status != 0 : !recorded);
      if (run.exit_status != 137) {
        EXPECT_EQ(earlier, run.exit_status != 0);
      }
      // Also the earlier pair for the next row.
      ASSERT_TRUE(PackEarlier(scratch_, "work/"));
      FolderSnapshot left = scratch_.Snapshot();
      std::erase_if(left, [](const auto& entry) {
        return !entry.first.starts_with("work/.") ||
               entry.first == "work/.h.dat";
      });
      EXPECT_EQ(left, FolderSnapshot{});
      if (run.exit_status != 137 && !run.out.ends_with("moved\n")) break;
    }
  }
}

#ifndef _WIN32
// A signal delivered by strace when the run first enters `syscall`: while
// it writes its outputs (fdatasync) or while it waits for a folder that the
// test holds locked (its first sleep). The run stops, changes nothing and
// exits with 128 + the signal's number.
TEST_F(PackFaults, SignalsEndTheRunAndChangeNothing) {
  if (!Traceable()) {
    GTEST_SKIP() << "strace cannot trace here";
  }
  const std::string waiting = "mirlot pack: another run is writing into " +
                              scratch_.Path("work") +
                              "; waiting for it to finish\n";
  const struct {
    std::string syscall, signal;
    int exit_status;
    std::string err;  // not empty when the folder is locked
  } rows[] = {{"fdatasync", "SIGTERM", 143, ""},
              {"fdatasync", "SIGHUP", 129, ""},
              {"clock_nanosleep", "SIGINT", 130, waiting}};
  scratch_.Write("work/list.txt", "a.dat\nb.dat\n");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.signal + " at " + row.syscall);
    const int folder = ::open(scratch_.Path("work").c_str(), O_RDONLY);
    ASSERT_EQ(row.err.empty() ? 0 : ::flock(folder, LOCK_EX), 0);
    const FolderSnapshot before = scratch_.Snapshot();
    const ChildResult run = TracedPack(
        scratch_.Path("work/list.txt"),
        {"-e", "inject=" + row.syscall + ":signal=" + row.signal + ":when=1"});
    ::close(folder);
    EXPECT_EQ(run.exit_status, row.exit_status);
    EXPECT_EQ(run.out + run.err, row.err);
    EXPECT_EQ(scratch_.Snapshot(), before);
  }
}

// Root writes anywhere and starts threads beyond any limit; these rows run
// mirlot as nobody instead. A folder that cannot be written fails with 70;
// a reading thread that cannot start, at a limit of one process, with 7 as
// memory running out does (the leak checker of sanitizer builds would need
// a thread of its own). A folder that can be written but not read cannot
// be locked: the run packs and says so.
TEST_F(PackFaults, FolderAccessAndThreadsAsAnotherUser) {
  std::vector<std::string> prefix;
  if (::geteuid() == 0) {
    prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
              "--clear-groups"};
  }
  scratch_.Write("work/list.txt", "a.dat\nb.dat\n");
  for (const char* file : {"list.txt", "a.dat", "b.dat"}) {
    fs::permissions(scratch_.Path("work/"s + file), fs::perms(0644));
  }
  fs::permissions(scratch_.Path("work"), fs::perms(0555));
  ExpectRefused("work/list.txt", k70, prefix);
  fs::permissions(scratch_.Path("work"), fs::perms(0777));
  prefix.insert(prefix.end(), {"/usr/bin/env", "ASAN_OPTIONS=detect_leaks=0",
                               "/usr/bin/prlimit", "--nproc=1"});
  ExpectRefused("work/list.txt", "Ошибка 7Out of memory", prefix);
  prefix.resize(prefix.size() - 2);
  fs::permissions(scratch_.Path("work"), fs::perms(0333));
  const ChildResult run = Pack(scratch_.Path("work/list.txt"), prefix);
  EXPECT_EQ(run.out + run.err, "Done\nmirlot pack: could not lock " +
                                   scratch_.Path("work") +
                                   " (Permission denied); another run into "
                                   "it could interleave with this one\n");
  fs::permissions(scratch_.Path("work"), fs::perms(0755));  // to remove it
}

// A tmpfs of 256 KiB, mounted as root.
TEST_F(PackFaults, DiskFullDuringCopyFailsWith61) {
  const std::string full = scratch_.Path("full");
  fs::create_directory(full);
  if (::mount("tmpfs", full.c_str(), "tmpfs", 0, "size=262144") != 0) {
    GTEST_SKIP() << "cannot mount a tmpfs here";
  }
  EXPECT_EQ(ArrangeFullDrive(full), "");
  ExpectRefused(list_, k61);
  drive_.reset();
  ::umount2(full.c_str(), MNT_DETACH);
}

// The limit set by the shell that starts mirlot, with SIGXFSZ at its
// default, which would end mirlot mid-write and leave a temporary file.
// (With SIGXFSZ ignored, a row of tests/cli/exit_status_test.cc.)
TEST_F(PackFaults, FileSizeLimitDuringCopyFailsWith61) {
  scratch_.Write("work/huge.dat", MemberBytes(1 << 20));
  scratch_.Write("work/list.txt", "a.dat\nhuge.dat\n");
  ExpectRefused("work/list.txt", k61,
                {"/bin/sh", "-c", "ulimit -f 128; exec \"$0\" \"$@\""});
}

// Every command with its memory limited (prlimit --as), from where mirlot
// can first run to 1 MiB above, fails with its own out-of-memory message
// and leaves the folder as it was, or succeeds. Below that only a band of
// under 128 KiB aborts, where the C++ runtime got no memory even to throw
// (its emergency exception pool); lower still mirlot cannot load. Packing
// used to leave .out.bin.tmp- or .report.txt.tmp- behind there, extracting
// .mirlot-extract.tmp-, when a file's buffer found no memory.
TEST_F(PackFaults, OutOfMemoryFailsWith7AndLeavesNothing) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer needs more address space than a limit "
                  "leaves";
#endif
  if (!fs::exists("/usr/bin/prlimit")) GTEST_SKIP() << "no /usr/bin/prlimit";
  scratch_.Write("work/list.txt", "a.dat\nb.dat\n");
  const std::string list = scratch_.Path("work/list.txt"),
                    image = scratch_.Path("work/out.bin"),
                    x = scratch_.Path("work/x");
  ASSERT_EQ(Pack(list).exit_status, 0);
  fs::create_directory(x);
  // Each command with its failures: exit status, then its first line.
  const std::vector<std::string> rows[][2] = {
      {{"pack", list}, {"1 Ошибка 7Out of memory"}},
      {{"inspect", image},
       {"2 mirlot inspect: cannot read " + image + ": Out of memory"}},
      {{"verify", list},
       {"2 mirlot verify: cannot read " + list + ": Out of memory"}},
      {{"extract", "-o", x, image},
       {"1 mirlot extract: Out of memory",
        "2 mirlot extract: cannot read " + image + ": Out of memory"}},
  };
  const auto within = [&](std::uint64_t limit, std::vector<std::string> run) {
    run.insert(run.begin(), {"/usr/bin/prlimit",
                             "--as=" + std::to_string(limit), MIRLOT_BINARY});
    return RunChild(run, scratch_.root().string());
  };
  std::uint64_t low = 1 << 20, high = 64 << 20;
  while (high - low > 4096) {
    const std::uint64_t middle = (low + high) / 2;
    (within(middle, {"inspect", image}).exit_status <= 2 ? high : low) = middle;
  }
  EXPECT_EQ(within(high - (128 << 10), {"--version"}).exit_status, 127);
  const FolderSnapshot before = scratch_.Snapshot();
  for (const auto& [command, failures] : rows) {
    for (std::uint64_t limit = high; limit < high + (1 << 20);
         limit += 16 << 10) {
      SCOPED_TRACE(command[0] + " within " + std::to_string(limit));
      const ChildResult run = within(limit, command);
      const std::string failure = std::to_string(run.exit_status) + " " +
                                  run.err.substr(0, run.err.find('\n'));
      ASSERT_TRUE(run.exit_status == 0 || std::ranges::count(failures, failure))
          << run.err;
      if (run.exit_status == 0) fs::remove_all(x);  // what it extracted
      fs::create_directory(x);
      ASSERT_EQ(scratch_.Snapshot(), before);
    }
  }
}
#endif

}  // namespace
}  // namespace mirlot
