// Runs the real `mirlot pack` against faults made on the host's file system.
// Every failing run must print its one exact message, exit with 1, leave the
// folder exactly as it was (an earlier out.bin and report.txt byte for byte,
// no temporary file) and end well before the child's deadline. Members that
// change in the middle of a run are made by the fake file system's hooks,
// in tests/packing/packing_run_test.cc.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/packing_fixtures.h"
#include "support/temp_folder.h"

namespace mirlot {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr char kMirlot[] = MIRLOT_BINARY;

class PackFaults : public ::testing::Test {
 protected:
  // Packs keep.dat in work/ so that an earlier out.bin and report.txt are
  // there, and adds the members a.dat and b.dat.
  void SetUp() override {
    scratch_.Write("work/keep.dat", MemberBytes(60, "KEEP01"));
    scratch_.Write("work/earlier.lst", "keep.dat\n");
    ASSERT_EQ(Pack("work/earlier.lst").exit_status, 0);
    ASSERT_EQ(scratch_.Read("work/out.bin"), "\0\0\0\x08\0\0\0\x06KEEP01"s);
    scratch_.Write("work/a.dat", MemberBytes(100));
    scratch_.Write("work/b.dat", MemberBytes(100));
  }

  // Runs `prefix` + `mirlot pack LIST` from the scratch folder, so that a
  // stray write to the current folder shows as well.
  ChildResult Pack(const std::string& list, ChildOptions options = {},
                   std::vector<std::string> prefix = {}) {
    prefix.insert(prefix.end(), {kMirlot, "pack", scratch_.Path(list)});
    options.cwd = scratch_.root().string();
    return RunChild(prefix, options);
  }

  // Packs `list`, which must fail with exactly `message` and change nothing.
  ChildResult ExpectRefused(const std::string& list, const std::string& message,
                            ChildOptions options = {},
                            std::vector<std::string> prefix = {}) {
    const FolderSnapshot before = scratch_.Snapshot();
    const ChildResult run = Pack(list, options, prefix);
    EXPECT_EQ(run.exit_status, 1) << "137: killed at the deadline";
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, message + "\n");
    EXPECT_EQ(scratch_.Snapshot(), before);
    return run;
  }

  TempFolder scratch_;
};

using Arrange = std::function<void(const TempFolder&)>;

// Writes work/list.txt and the further files `more` (named inside work/).
Arrange Files(std::string list, std::map<std::string, std::string> more = {}) {
  return [=](const TempFolder& s) {
    s.Write("work/list.txt", list);
    for (const auto& [name, content] : more) s.Write("work/" + name, content);
  };
}

// Writes work/list.txt and puts `kind` ("folder", "pipe" or "dangling link")
// in place of work/`name`.
Arrange Make(std::string kind, std::string name, std::string list = "") {
  return [=](const TempFolder& s) {
    const std::string path = s.Path("work/" + name);
    fs::remove(path);
    if (kind == "folder") fs::create_directory(path);
    if (kind == "pipe") ::mkfifo(path.c_str(), 0644);
    if (kind == "dangling link") fs::create_symlink("gone", path);
    s.Write("work/list.txt", list);
  };
}

const std::string k52 = "Ошибка 52Bad file name or number";
const std::string k53 = "Ошибка 53File not found";
const std::string k75 = "Ошибка 75Path/File access error";

struct FaultRow {
  const char* name;
  Arrange arrange;
  std::string message;
  std::string list = "work/list.txt";  // the list given to `mirlot pack`

  friend void PrintTo(const FaultRow& row, std::ostream* out) {
    *out << row.name;
  }
};

const FaultRow kFaultRows[] = {
    {"ListMissing", Files(""), k53, "work/absent.lst"},
    {"ListIsFolder", Make("folder", "list.d"), k75, "work/list.d"},
    {"ListFolderMissing", Files(""), "Ошибка 76Path not found",
     "work/gone/list.txt"},
    {"ListIsPipe", Make("pipe", "list.p"), k75, "work/list.p"},
    {"MemberMissingFirst", Files("nope.dat\na.dat\nb.dat\n"), k53},
    {"MemberMissingMiddle", Files("a.dat\nnope.dat\nb.dat\n"), k53},
    {"MemberMissingLast", Files("a.dat\nb.dat\nnope.dat\n"), k53},
    {"MemberFolderMissing", Files("a.dat\ngone/b.dat\n"), k53},
    {"MemberBelowAFile", Files("a.dat\na.dat/b.dat\n"), k53},
    {"MemberIsDotFile", Files(".h.dat\n", {{".h.dat", MemberBytes(100)}}),
     "Файл # 0 не существует!"},
    {"MemberIsFolder", Make("folder", "sub", "a.dat\nb.dat\nsub\n"),
     "Файл # 2 не существует!"},
    {"MemberIsPipe", Make("pipe", "p", "a.dat\np\n"),
     "Файл # 1 не существует!"},
    {"MemberIsDanglingLink", Make("dangling link", "l", "a.dat\nl\n"), k53},
    {"MemberShorterThan54Bytes",
     Files("a.dat\nshort.dat\nb.dat\n", {{"short.dat", MemberBytes(53)}}),
     "Файл # 1 короче 54 байт!"},
    {"BlankLineInMiddle", Files("a.dat\n\nb.dat\n"), k53},
    {"OnlyBlanksAfterLastLineEnd", Files("a.dat\r\nb.dat\r\n  \t "),
     "Ошибка 62Input past end of file"},
    // "b" exists, so a path cut at the NUL would be packed.
    {"FieldWithNulByte", Files("a.dat\nb\0.dat\n"s, {{"b", MemberBytes(100)}}),
     k52},
    {"TenMegabyteLine", Files(std::string(10 << 20, 'x')), k52},
    {"TenMegabyteQuoteNeverClosed",
     Files("a.dat\n\"" + std::string(10 << 20, 'x')), k52},
    // The first 4 KiB of an executable, the mirlot binary itself.
    {"BinaryGarbageList",
     [](const TempFolder& s) {
       s.Write("work/list.txt", s.Read(kMirlot).substr(0, 4096));
     },
     k52},
    // The report's move fails after out.bin's: out.bin is put back.
    {"ReportNameTakenByFolder", Make("folder", "report.txt", "a.dat\n"), k75},
    {"ImageNameTakenByFolder", Make("folder", "out.bin", "a.dat\n"), k75},
    // A list that is one of the outputs would be lost to them.
    {"ListIsTheReport", Files("", {{"report.txt", "a.dat\n"}}), k75,
     "work/report.txt"},
    {"ListIsALinkToTheImage",
     [](const TempFolder& s) {
       s.Write("work/out.bin", "a.dat\n");
       fs::create_hard_link(s.Path("work/out.bin"), s.Path("work/list.lnk"));
     },
     k75, "work/list.lnk"},
};

class PackFaultRows : public PackFaults,
                      public ::testing::WithParamInterface<FaultRow> {};

TEST_P(PackFaultRows, FailsWithItsMessageAndChangesNothing) {
  GetParam().arrange(scratch_);
  // GNU time writes the run's peak resident size in KiB to `peak`.
  const char* time = "/usr/bin/time";
  TempFolder measured;
  const bool measuring = ::access(time, X_OK) == 0;
  std::vector<std::string> prefix;
  if (measuring) prefix = {time, "-f", "%M", "-o", measured.Path("peak")};
  ExpectRefused(GetParam().list, GetParam().message, {}, prefix);
#ifndef __SANITIZE_ADDRESS__
  // Whatever the list holds, a field is never held past the longest path.
  if (measuring) {
    // "Command exited with non-zero status 1\n" comes first.
    const std::string peak = measured.Read("peak");
    EXPECT_LT(std::stol(peak.substr(peak.rfind('\n', peak.size() - 2) + 1)),
              16 * 1024)
        << "KiB at peak";
  }
#endif
}

INSTANTIATE_TEST_SUITE_P(Files, PackFaultRows, ::testing::ValuesIn(kFaultRows),
                         [](const ::testing::TestParamInfo<FaultRow>& row) {
                           return row.param.name;
                         });

// A member in a sub-folder with a UTF-8 name, one through a link and one of
// exactly 54 bytes, on CR LF and LF lines: the earlier outputs are replaced.
TEST_F(PackFaults, GoodListReplacesEarlierOutputs) {
  scratch_.Write("work/sub/файл.dat", MemberBytes(56, "Ж"));
  scratch_.Write("work/exact.dat", MemberBytes(54));
  fs::create_symlink("sub/файл.dat", scratch_.Path("work/link.dat"));
  scratch_.Write("work/list.txt", "sub/файл.dat\r\nexact.dat\nlink.dat\n");
  // Left by runs that were killed: removed. Kept: a temporary file a live
  // run holds, and names this program does not make.
  for (const char* name :
       {".out.bin.tmp-Dead0001", ".report.txt.tmp-Dead0002",
        ".out.bin.tmp-Live0003", ".out.bin.tmp-short", ".a.dat.tmp-Dead0004"}) {
    scratch_.Write("work/"s + name, "left");
  }
  const int live = ::open(scratch_.Path("work/.out.bin.tmp-Live0003").c_str(),
                          O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(live, LOCK_EX), 0);
  const ChildResult run = Pack("work/list.txt");
  ::close(live);
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out, "Done\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(scratch_.Read("work/out.bin"),
            "\0\0\0\x18\0\0\0\x02\0\0\0\x1A\0\0\0\0\0\0\0\x1A\0\0\0\x02"
            "ЖЖ"s);
  EXPECT_EQ(scratch_.Read("work/report.txt"),
            "#,            Name,          Offset,       Size\r\n"
            " 1            sub/файл.dat   24            2\r\n"
            " 2            exact.dat      26            0\r\n"
            " 3            link.dat       26            2\r\n"s);
  std::vector<std::string> temporary;
  for (const auto& [name, what] : scratch_.Snapshot()) {
    if (name.find(".tmp") != std::string::npos) temporary.push_back(name);
  }
  EXPECT_EQ(temporary, (std::vector<std::string>{"work/.a.dat.tmp-Dead0004",
                                                 "work/.out.bin.tmp-Live0003",
                                                 "work/.out.bin.tmp-short"}));
}

TEST_F(PackFaults, ThousandAndOneMembersPackAndOneMoreFieldFails) {
  std::string list;
  for (int k = 0; k <= 1000; ++k) {
    const std::string name = "m" + std::to_string(10000 + k) + ".dat";
    scratch_.Write("work/" + name, MemberBytes(55, {char('A' + k % 26)}));
    list += name + "\r\n";
  }
  scratch_.Write("work/list.txt", list);
  const ChildResult run = Pack("work/list.txt");
  ASSERT_EQ(run.exit_status, 0) << run.err;
  const std::string image = scratch_.Read("work/out.bin");
  ASSERT_EQ(image.size(), 9009u);
  EXPECT_EQ(image.substr(0, 16),
            "\0\0\x1f\x48\0\0\0\x01\0\0\x1f\x49\0\0\0\x01"s);
  EXPECT_EQ(image.substr(8000, 8), "\0\0\x23\x30\0\0\0\x01"s);
  EXPECT_EQ(image.substr(8008, 28), "ABCDEFGHIJKLMNOPQRSTUVWXYZAB");
  EXPECT_TRUE(
      scratch_.Read("work/report.txt")
          .ends_with("\r\n 1001         m11000.dat     9008          1\r\n"));
  // The 1002nd field fails before it is looked up.
  scratch_.Write("work/list.txt", list + "nope.dat\r\n");
  ExpectRefused("work/list.txt", "Ошибка 9Subscript out of range");
}

// A signal delivered by strace when the run first enters `syscall`: while
// it writes its outputs (fdatasync) or while it waits for a folder that the
// test holds locked (its first sleep). The run stops, changes nothing and
// exits with 128 + the signal's number.
TEST_F(PackFaults, SignalsEndTheRunAndChangeNothing) {
  const char* strace = "/usr/bin/strace";
  if (RunChild({strace, "-o", "/dev/null", "/bin/true"}).exit_status != 0) {
    GTEST_SKIP() << "strace cannot trace here";
  }
  const std::string waiting = "mirlot pack: another run is writing into " +
                              scratch_.Path("work") +
                              "; waiting for it to finish\n";
  const struct {
    const char* syscall;
    const char* signal;
    int exit_status;
    bool folder_locked;
    std::string err;
  } rows[] = {
      {"fdatasync", "SIGTERM", 143, false, ""},
      {"fdatasync", "SIGHUP", 129, false, ""},
      {"fdatasync", "SIGINT", 130, false, ""},
      {"clock_nanosleep", "SIGINT", 130, true, waiting},
  };
  scratch_.Write("work/list.txt", "a.dat\nb.dat\n");
  for (const auto& row : rows) {
    SCOPED_TRACE(row.signal + " at "s + row.syscall);
    const int folder = ::open(scratch_.Path("work").c_str(), O_RDONLY);
    if (row.folder_locked) {
      ASSERT_EQ(::flock(folder, LOCK_EX), 0);
    }
    const FolderSnapshot before = scratch_.Snapshot();
    const ChildResult run =
        Pack("work/list.txt", {},
             {strace, "-f", "-qq", "-o", "/dev/null", "-e",
              "inject="s + row.syscall + ":signal=" + row.signal + ":when=1"});
    ::close(folder);
    EXPECT_EQ(run.exit_status, row.exit_status);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, row.err);
    EXPECT_EQ(scratch_.Snapshot(), before);
  }
}

TEST_F(PackFaults, TwoGibibyteImageOverflowsAtOnce) {
  // Payloads of 2^30 and 2^30 - 16 bytes after a 16-byte table: the image
  // would be exactly 2 GiB.
  scratch_.Write("work/list.txt", "big1.dat\nbig2.dat\n");
  scratch_.Write("work/big1.dat", "");
  scratch_.Write("work/big2.dat", "");
  fs::resize_file(scratch_.Path("work/big1.dat"), (1u << 30) + 54);
  fs::resize_file(scratch_.Path("work/big2.dat"), (1u << 30) + 38);
  const ChildResult run = ExpectRefused("work/list.txt", "Ошибка 6Overflow");
  EXPECT_LT(run.elapsed, std::chrono::milliseconds(1000));
}

TEST_F(PackFaults, ReadOnlyWorkingFolderFailsWith70) {
  std::vector<std::string> prefix;
  if (::geteuid() == 0) {
    // Root writes anywhere; run as nobody instead.
    prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
              "--clear-groups"};
    if (::access(prefix[0].c_str(), X_OK) != 0) {
      GTEST_SKIP() << "running as root without " << prefix[0];
    }
  }
  scratch_.Write("work/list.txt", "a.dat\nb.dat\n");
  for (const char* file : {"list.txt", "a.dat", "b.dat"}) {
    fs::permissions(scratch_.Path("work/"s + file), fs::perms(0644));
  }
  fs::permissions(scratch_.Path("work"), fs::perms(0555));
  ExpectRefused("work/list.txt", "Ошибка 70Permission denied", {}, prefix);
}

TEST_F(PackFaults, DiskFullDuringCopyFailsWith61) {
  if (::geteuid() != 0) GTEST_SKIP() << "mounting a tmpfs needs root";
  if (const std::string why = scratch_.Mount("full", 256 * 1024);
      !why.empty()) {
    GTEST_SKIP() << "cannot mount a tmpfs: " << why;
  }
  scratch_.Write("full/keep.dat", MemberBytes(60, "KEEP01"));
  scratch_.Write("full/earlier.lst", "keep.dat\n");
  ASSERT_EQ(Pack("full/earlier.lst").exit_status, 0);
  // The member lies outside the small file system; its payload does not fit.
  scratch_.Write("work/huge.dat", MemberBytes(1 << 20));
  scratch_.Write("full/list.txt", scratch_.Path("work/huge.dat"));
  ExpectRefused("full/list.txt", "Ошибка 61Disk full");
}

// With SIGXFSZ ignored by whoever started mirlot, and at its default (which
// would end mirlot mid-write and leave a temporary file).
TEST_F(PackFaults, FileSizeLimitDuringCopyFailsWith61) {
  scratch_.Write("work/huge.dat", MemberBytes(1 << 20));
  scratch_.Write("work/list.txt", "a.dat\nhuge.dat\n");
  for (bool ignored : {true, false}) {
    SCOPED_TRACE(ignored ? "SIGXFSZ ignored" : "SIGXFSZ at its default");
    ExpectRefused(
        "work/list.txt", "Ошибка 61Disk full",
        {.file_size_limit = 64 * 1024, .ignore_file_size_signal = ignored});
  }
}

}  // namespace
}  // namespace mirlot
