// Runs the real `mirlot pack` against faults made on the host's file system.
// Every failing run must print its one exact message, exit with 1, leave the
// folder exactly as it was (an earlier out.bin and report.txt byte for byte,
// no temporary file) and end well before the child's deadline.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "faults/fault_folder.h"
#include "support/child_process.h"

namespace mirlot {
namespace {

using std::chrono::milliseconds;

constexpr char kMirlot[] = MIRLOT_BINARY;

// What the run in SetUp leaves: keep.dat (60 bytes, payload "KEEP01").
const std::string kEarlierImage("\0\0\0\x08\0\0\0\x06KEEP01", 14);
constexpr char kEarlierReport[] =
    "#,            Name,          Offset,       Size\r\n"
    " 1            keep.dat       8             6\r\n";

class PackFaults : public ::testing::Test {
 protected:
  // Packs a good list in work/ so that an earlier out.bin and report.txt are
  // there, and adds the members a.dat and b.dat.
  void SetUp() override {
    scratch_.Write("work/keep.dat", MemberBytes(60, "KEEP01"));
    scratch_.Write("work/earlier.lst", "keep.dat\n");
    const ChildResult earlier = Pack("work/earlier.lst");
    ASSERT_EQ(earlier.exit_status, 0) << earlier.err;
    ASSERT_EQ(scratch_.Read("work/out.bin"), kEarlierImage);
    ASSERT_EQ(scratch_.Read("work/report.txt"), kEarlierReport);
    scratch_.Write("work/a.dat", MemberBytes(100, "AAAA"));
    scratch_.Write("work/b.dat", MemberBytes(100, "BBBB"));
  }

  // Runs `mirlot pack` on `list` (inside the scratch folder) from the scratch
  // folder, so that a stray write to the current directory shows as well.
  ChildResult Pack(const std::string& list, ChildOptions options = {}) {
    return Run({kMirlot, "pack", scratch_.Path(list)}, options);
  }

  ChildResult Run(const std::vector<std::string>& argv,
                  ChildOptions options = {}) {
    options.cwd = scratch_.root().string();
    return RunChild(argv, options);
  }

  // The run failed with exactly `message` and changed nothing.
  void ExpectRefused(const ChildResult& run, const FolderSnapshot& before,
                     const std::string& message) {
    EXPECT_FALSE(run.timed_out)
        << "killed after " << run.elapsed.count() << " ms";
    EXPECT_EQ(run.exit_status, 1) << "signal " << run.signal;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, message + "\n");
    EXPECT_EQ(scratch_.Snapshot(), before);
  }

  FaultFolder scratch_;
};

// Rows whose fault is made by files alone.
struct FaultRow {
  const char* name;
  std::function<void(const FaultFolder&)> arrange;
  std::string list;  // the list path given to `mirlot pack`
  std::string message;

  friend void PrintTo(const FaultRow& row, std::ostream* out) {
    *out << row.name;
  }
};

std::function<void(const FaultFolder&)> List(std::string text) {
  return [text](const FaultFolder& scratch) {
    scratch.Write("work/list.txt", text);
  };
}

// Looks like the start of an executable: a NUL in the first field.
std::string BinaryGarbage() {
  std::string bytes(
      "\x7f"
      "ELF\x02\x01\x01\0",
      8);
  std::uint32_t state = 2463534242u;
  while (bytes.size() < 4096) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    bytes += static_cast<char>(state & 0xFF);
  }
  return bytes;
}

const FaultRow kFaultRows[] = {
    {"ListMissing", [](const FaultFolder&) {}, "work/absent.lst",
     "Ошибка 53File not found"},
    {"ListIsFolder", [](const FaultFolder& s) { s.MakeFolder("work/list.d"); },
     "work/list.d", "Ошибка 75Path/File access error"},
    {"ListFolderMissing", [](const FaultFolder&) {}, "work/gone/list.txt",
     "Ошибка 76Path not found"},
    {"ListIsPipe", [](const FaultFolder& s) { s.MakePipe("work/list.p"); },
     "work/list.p", "Ошибка 75Path/File access error"},
    {"MemberMissingFirst", List("nope.dat\na.dat\nb.dat\n"), "work/list.txt",
     "Ошибка 53File not found"},
    {"MemberMissingMiddle", List("a.dat\nnope.dat\nb.dat\n"), "work/list.txt",
     "Ошибка 53File not found"},
    {"MemberMissingLast", List("a.dat\nb.dat\nnope.dat\n"), "work/list.txt",
     "Ошибка 53File not found"},
    {"MemberFolderMissing", List("a.dat\ngone/b.dat\n"), "work/list.txt",
     "Ошибка 53File not found"},
    {"MemberIsDotFile",
     [](const FaultFolder& s) {
       s.Write("work/.hidden.dat", MemberBytes(100));
       s.Write("work/list.txt", "a.dat\n.hidden.dat\nb.dat\n");
     },
     "work/list.txt", "Файл # 1 не существует!"},
    {"MemberIsFolder",
     [](const FaultFolder& s) {
       s.MakeFolder("work/sub");
       s.Write("work/list.txt", "a.dat\nb.dat\nsub\n");
     },
     "work/list.txt", "Файл # 2 не существует!"},
    {"MemberIsPipe",
     [](const FaultFolder& s) {
       s.MakePipe("work/pipe");
       s.Write("work/list.txt", "pipe\na.dat\n");
     },
     "work/list.txt", "Файл # 0 не существует!"},
    {"MemberIsDanglingLink",
     [](const FaultFolder& s) {
       s.MakeLink("work/link.dat", "gone.dat");
       s.Write("work/list.txt", "a.dat\nlink.dat\n");
     },
     "work/list.txt", "Ошибка 53File not found"},
    {"MemberShorterThan54Bytes",
     [](const FaultFolder& s) {
       s.Write("work/short.dat", MemberBytes(53));
       s.Write("work/list.txt", "a.dat\nshort.dat\nb.dat\n");
     },
     "work/list.txt", "Файл # 1 короче 54 байт!"},
    {"BlankLineInMiddle", List("a.dat\n\nb.dat\n"), "work/list.txt",
     "Ошибка 53File not found"},
    {"OnlyBlanksAfterLastLineEnd", List("a.dat\r\nb.dat\r\n  \t "),
     "work/list.txt", "Ошибка 62Input past end of file"},
    // "b" exists, so a path cut at the NUL would be packed.
    {"FieldWithNulByte",
     [](const FaultFolder& s) {
       s.Write("work/b", MemberBytes(100));
       s.Write("work/list.txt", std::string("a.dat\nb\0.dat\n", 12));
     },
     "work/list.txt", "Ошибка 52Bad file name or number"},
    {"TenMegabyteLine", List(std::string(10 << 20, 'x')), "work/list.txt",
     "Ошибка 52Bad file name or number"},
    {"BinaryGarbageList", List(BinaryGarbage()), "work/list.txt",
     "Ошибка 52Bad file name or number"},
};

class PackFaultRows : public PackFaults,
                      public ::testing::WithParamInterface<FaultRow> {};

TEST_P(PackFaultRows, FailsWithItsMessageAndChangesNothing) {
  GetParam().arrange(scratch_);
  const FolderSnapshot before = scratch_.Snapshot();
  ExpectRefused(Pack(GetParam().list), before, GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Files, PackFaultRows, ::testing::ValuesIn(kFaultRows),
                         [](const ::testing::TestParamInfo<FaultRow>& row) {
                           return row.param.name;
                         });

TEST_F(PackFaults, MemberOfExactly54BytesPacksWithLengthZero) {
  scratch_.Write("work/exact.dat", MemberBytes(54));
  scratch_.Write("work/tail.dat", MemberBytes(58, "WXYZ"));
  scratch_.Write("work/list.txt", "exact.dat\ntail.dat\n");
  const ChildResult run = Pack("work/list.txt");
  EXPECT_EQ(run.exit_status, 0);
  EXPECT_EQ(run.out, "Done\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(scratch_.Read("work/out.bin"),
            std::string("\0\0\0\x10\0\0\0\0\0\0\0\x10\0\0\0\x04WXYZ", 20));
  EXPECT_EQ(scratch_.Read("work/report.txt"),
            "#,            Name,          Offset,       Size\r\n"
            " 1            exact.dat      16            0\r\n"
            " 2            tail.dat       16            4\r\n");
}

// Writes m0000.dat … m1000.dat (55 bytes, payload one letter A, B, … Z, A, …)
// and returns a list naming them all.
std::string WriteThousandAndOneMembers(const FaultFolder& scratch) {
  std::string list;
  for (int k = 0; k <= 1000; ++k) {
    char name[16];
    std::snprintf(name, sizeof name, "m%04d.dat", k);
    scratch.Write(
        std::string("work/") + name,
        MemberBytes(55, std::string(1, static_cast<char>('A' + k % 26))));
    list += name;
    list += "\r\n";
  }
  return list;
}

TEST_F(PackFaults, ThousandAndOneMembersPack) {
  scratch_.Write("work/list.txt", WriteThousandAndOneMembers(scratch_));
  const ChildResult run = Pack("work/list.txt");
  ASSERT_EQ(run.exit_status, 0) << run.err;
  EXPECT_EQ(run.out, "Done\n");
  const std::string image = scratch_.Read("work/out.bin");
  ASSERT_EQ(image.size(), 9009u);
  EXPECT_EQ(image.substr(0, 16),
            std::string("\0\0\x1f\x48\0\0\0\x01\0\0\x1f\x49\0\0\0\x01", 16));
  EXPECT_EQ(image.substr(8000, 8), std::string("\0\0\x23\x30\0\0\0\x01", 8));
  EXPECT_EQ(image.substr(8008, 28), "ABCDEFGHIJKLMNOPQRSTUVWXYZAB");
  EXPECT_EQ(image.back(), 'M');
  const std::string report = scratch_.Read("work/report.txt");
  EXPECT_EQ(report.substr(49, 46),
            " 1            m0000.dat      8008          1\r\n");
  EXPECT_TRUE(
      report.ends_with("\r\n 1001         m1000.dat      9008          1\r\n"));
}

TEST_F(PackFaults, ThousandAndTwoFieldsFailBeforeTheLastIsLookedUp) {
  scratch_.Write("work/list.txt",
                 WriteThousandAndOneMembers(scratch_) + "nope.dat\r\n");
  const FolderSnapshot before = scratch_.Snapshot();
  ExpectRefused(Pack("work/list.txt"), before,
                "Ошибка 9Subscript out of range");
}

TEST_F(PackFaults, TwoGibibyteImageOverflowsAtOnce) {
  // Payloads of 2^30 and 2^30 - 16 bytes after a 16-byte table: the image
  // would be exactly 2 GiB.
  scratch_.Resize("work/big1.dat", (1u << 30) + 54);
  scratch_.Resize("work/big2.dat", (1u << 30) + 38);
  scratch_.Write("work/list.txt", "big1.dat\nbig2.dat\n");
  const FolderSnapshot before = scratch_.Snapshot();
  const ChildResult run = Pack("work/list.txt");
  ExpectRefused(run, before, "Ошибка 6Overflow");
  EXPECT_LT(run.elapsed, milliseconds(1000));
  RecordProperty("elapsed_ms", static_cast<int>(run.elapsed.count()));
}

// An output name already taken by a folder: the rename of the other output
// must not happen either.
TEST_F(PackFaults, OutputNameTakenByFolderReplacesNeither) {
  for (const char* taken : {"report.txt", "out.bin"}) {
    SCOPED_TRACE(taken);
    const std::string path = scratch_.Path(std::string("work/") + taken);
    const std::string earlier = scratch_.Read(std::string("work/") + taken);
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    scratch_.Write("work/list.txt", "a.dat\nb.dat\n");
    const FolderSnapshot before = scratch_.Snapshot();
    ExpectRefused(Pack("work/list.txt"), before,
                  "Ошибка 75Path/File access error");
    std::filesystem::remove(path);
    scratch_.Write(std::string("work/") + taken, earlier);
  }
}

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string folders = path ? path : "/usr/bin:/bin";
  for (std::size_t start = 0; start <= folders.size();) {
    std::size_t end = folders.find(':', start);
    if (end == std::string::npos) end = folders.size();
    const std::string candidate =
        folders.substr(start, end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "";
}

TEST_F(PackFaults, ReadOnlyWorkingFolderFailsWith70) {
  std::vector<std::string> argv;
  if (::geteuid() == 0) {
    // Root writes anywhere; run as nobody instead.
    const std::string setpriv = FindProgram("setpriv");
    if (setpriv.empty()) GTEST_SKIP() << "running as root without setpriv";
    argv = {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups"};
    std::vector<std::string> probe = argv;
    probe.insert(probe.end(), {kMirlot, "--version"});
    const ChildResult probed = Run(probe);
    if (probed.exit_status != 0) {
      GTEST_SKIP() << "uid 65534 cannot run " << kMirlot << ": " << probed.err;
    }
  }
  scratch_.Write("work/list.txt", "a.dat\nb.dat\n");
  for (const char* file : {"list.txt", "a.dat", "b.dat"}) {
    scratch_.SetMode(std::string("work/") + file, 0644);
  }
  scratch_.SetMode("work", 0555);
  argv.insert(argv.end(), {kMirlot, "pack", scratch_.Path("work/list.txt")});
  const FolderSnapshot before = scratch_.Snapshot();
  ExpectRefused(Run(argv), before, "Ошибка 70Permission denied");
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
  ASSERT_EQ(scratch_.Read("full/out.bin"), kEarlierImage);
  // The member lies outside the small file system; its payload does not fit.
  scratch_.Write("work/huge.dat", MemberBytes(1 << 20));
  scratch_.Write("full/list.txt", scratch_.Path("work/huge.dat"));
  const FolderSnapshot before = scratch_.Snapshot();
  ExpectRefused(Pack("full/list.txt"), before, "Ошибка 61Disk full");
}

// With SIGXFSZ ignored by whoever started mirlot, and at its default (which
// would end mirlot mid-write and leave a temporary file).
TEST_F(PackFaults, FileSizeLimitDuringCopyFailsWith61) {
  scratch_.Write("work/huge.dat", MemberBytes(1 << 20));
  scratch_.Write("work/list.txt", "a.dat\nhuge.dat\n");
  const FolderSnapshot before = scratch_.Snapshot();
  for (bool ignored : {true, false}) {
    SCOPED_TRACE(ignored ? "SIGXFSZ ignored" : "SIGXFSZ at its default");
    ChildOptions options;
    options.file_size_limit = 64 * 1024;
    options.ignore_file_size_signal = ignored;
    ExpectRefused(Pack("work/list.txt", options), before, "Ошибка 61Disk full");
  }
}

}  // namespace
}  // namespace mirlot
