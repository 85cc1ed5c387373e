// Runs the real `mirlot pack` against faults made on the host's file system.
// Every failing run must print its one exact message, exit with 1, leave the
// folder exactly as it was (an earlier out.bin and report.txt byte for byte,
// no temporary file) and end well before the child's deadline. Members that
// change in the middle of a run are made by the fake file system's hooks,
// in tests/packing/packing_run_test.cc.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/packing_fixtures.h"
#include "support/temp_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mirlot {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr char kMirlot[] = MIRLOT_BINARY;
// out.bin of keep.dat, packed before each test.
const std::string kEarlierImage = "\0\0\0\x08\0\0\0\x06KEEP01"s;

class PackFaults : public ::testing::Test {
 protected:
  // Packs keep.dat in work/ so that an earlier out.bin and report.txt are
  // there, and adds the members a.dat and b.dat.
  void SetUp() override {
    scratch_.Write("work/keep.dat", MemberBytes(60, "KEEP01"));
    scratch_.Write("work/earlier.lst", "keep.dat\n");
    ASSERT_EQ(Pack("work/earlier.lst").exit_status, 0);
    ASSERT_EQ(scratch_.Read("work/out.bin"), kEarlierImage);
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

  // The scratch folder and, when there is one, the small drive's folder.
  FolderSnapshot Snapshot() const {
    FolderSnapshot snapshot = scratch_.Snapshot();
    if (drive_) {
      for (const auto& [name, what] : drive_->Snapshot()) {
        snapshot["drive/" + name] = what;
      }
    }
    return snapshot;
  }

  // `run` failed with exactly `message` and changed nothing since `before`.
  void ExpectFailed(const ChildResult& run, const std::string& message,
                    const FolderSnapshot& before) {
    EXPECT_EQ(run.exit_status, 1) << "137: ended at the deadline";
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, message + "\n");
    EXPECT_EQ(Snapshot(), before);
  }

  // Packs `list`, which must fail with exactly `message` and change nothing.
  ChildResult ExpectRefused(const std::string& list, const std::string& message,
                            ChildOptions options = {},
                            std::vector<std::string> prefix = {}) {
    const FolderSnapshot before = Snapshot();
    const ChildResult run = Pack(list, options, prefix);
    ExpectFailed(run, message, before);
    return run;
  }

  TempFolder scratch_;
  std::optional<TempFolder> drive_;  // on a small drive of its own
};

// Makes a row's files; returns why the row cannot run here, "" when it can.
using Arrange = std::function<std::string(const TempFolder&)>;

// Writes work/list.txt and the further files `more` (named inside work/).
Arrange Files(std::string list, std::map<std::string, std::string> more = {}) {
  return [=](const TempFolder& s) {
    s.Write("work/list.txt", list);
    for (const auto& [name, content] : more) s.Write("work/" + name, content);
    return "";
  };
}

// Writes work/list.txt and puts `kind` ("folder", "pipe" or "dangling link")
// in place of work/`name`.
Arrange Make(std::string kind, std::string name, std::string list = "") {
  return [=](const TempFolder& s) -> std::string {
    const std::string path = s.Path("work/" + name);
    fs::remove(path);
    s.Write("work/list.txt", list);
    std::error_code error;
    if (kind == "folder") fs::create_directory(path);
    if (kind == "dangling link") fs::create_symlink("gone", path, error);
#ifdef _WIN32
    if (kind == "pipe") return "no named pipes in a Windows folder";
#else
    if (kind == "pipe") ::mkfifo(path.c_str(), 0644);
#endif
    return error ? "no symbolic links here: " + error.message() : "";
  };
}

// `arrange` on POSIX; on Windows the row cannot hold, for the reason `why`.
Arrange PosixOnly([[maybe_unused]] std::string why,
                  [[maybe_unused]] Arrange arrange) {
#ifdef _WIN32
  return [=](const TempFolder&) { return why; };
#else
  return arrange;
#endif
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
    {"MemberIsDotFile",
     PosixOnly("a dot-file is ordinary on Windows",
               Files(".h.dat\n", {{".h.dat", MemberBytes(100)}})),
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
    // The first 4 KiB of an executable, the mirlot binary itself.
    {"BinaryGarbageList",
     [](const TempFolder& s) {
       s.Write("work/list.txt", s.Read(kMirlot).substr(0, 4096));
       return "";
     },
     k52},
    // The report's move fails after out.bin's: out.bin is put back.
    {"ReportNameTakenByFolder", Make("folder", "report.txt", "a.dat\n"), k75},
    {"ImageNameTakenByFolder", Make("folder", "out.bin", "a.dat\n"), k75},
};

class PackFaultRows : public PackFaults,
                      public ::testing::WithParamInterface<FaultRow> {};

TEST_P(PackFaultRows, FailsWithItsMessageAndChangesNothing) {
  if (const std::string why = GetParam().arrange(scratch_); !why.empty()) {
    GTEST_SKIP() << why;
  }
  ExpectRefused(GetParam().list, GetParam().message);
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
  std::error_code no_symbolic_links;  // wine makes none
  fs::create_symlink("sub/файл.dat", scratch_.Path("work/link.dat"),
                     no_symbolic_links);
  if (no_symbolic_links) {
    fs::create_hard_link(scratch_.Native("work/sub/файл.dat"),
                         scratch_.Native("work/link.dat"));
  }
  scratch_.Write("work/list.txt", "sub/файл.dat\r\nexact.dat\nlink.dat\n");
  const ChildResult run = Pack("work/list.txt");
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
  for (const auto& [name, what] : scratch_.Snapshot()) {
    EXPECT_EQ(name.find(".tmp"), std::string::npos) << name << " left";
  }
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
#ifdef _WIN32
  GTEST_SKIP() << "a read-only folder takes new files on Windows";
#else
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
#endif
}

// On Windows see the row FullDrive.
TEST_F(PackFaults, DiskFullDuringCopyFailsWith61) {
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
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no file-size limit";
#endif
  scratch_.Write("work/huge.dat", MemberBytes(1 << 20));
  scratch_.Write("work/list.txt", "a.dat\nhuge.dat\n");
  for (bool ignored : {true, false}) {
    SCOPED_TRACE(ignored ? "SIGXFSZ ignored" : "SIGXFSZ at its default");
    ExpectRefused(
        "work/list.txt", "Ошибка 61Disk full",
        {.file_size_limit = 64 * 1024, .ignore_file_size_signal = ignored});
  }
}

#ifdef _WIN32
// Windows-only rows through the real mirlot.exe: attributes, devices, code
// pages, path forms, outputs held open by another process, a full drive. A
// row with a message fails with it and changes nothing; a row without one
// packs into exactly `image` (and `report`, when given).
class PackWindowsRows;
using WindowsArrange = std::function<std::string(PackWindowsRows&)>;

struct WindowsRow {
  const char* name;
  WindowsArrange arrange;  // returns why the row cannot run here, or ""
  std::string message;
  std::string image = "";
  std::string report = "";

  friend void PrintTo(const WindowsRow& row, std::ostream* out) {
    *out << row.name;
  }
};

class PackWindowsRows : public PackFaults,
                        public ::testing::WithParamInterface<WindowsRow> {
 public:
  using PackFaults::drive_;
  using PackFaults::Pack;
  using PackFaults::scratch_;
  std::string list_ = "work/list.txt";
  HANDLE held_ = INVALID_HANDLE_VALUE;
};

// Writes work/list.txt and members work/NAME of 54 bytes + PAYLOAD, then
// does `then`.
WindowsArrange Members(std::string list,
                       std::map<std::string, std::string> payloads = {},
                       WindowsArrange then = nullptr) {
  return [=](PackWindowsRows& t) {
    t.scratch_.Write("work/list.txt", list);
    for (const auto& [name, payload] : payloads) {
      t.scratch_.Write("work/" + name,
                       MemberBytes(54 + payload.size(), payload));
    }
    return then ? then(t) : "";
  };
}

WindowsArrange Attributes(std::string name, DWORD attributes) {
  return [=](PackWindowsRows& t) -> std::string {
    const bool set = ::SetFileAttributesW(
        t.scratch_.Native("work/" + name).c_str(), attributes);
    return set ? "" : "cannot set the attributes of " + name;
  };
}

std::string DotFilesShown(PackWindowsRows& t) {
  const DWORD attributes =
      ::GetFileAttributesW(t.scratch_.Native("work/.d.dat").c_str());
  return attributes & FILE_ATTRIBUTE_HIDDEN
             ? "wine shows dot-files hidden here (ShowDotFiles is off)"
             : "";
}

std::string AnsiCodePage1251(PackWindowsRows&) {
  if (::GetACP() == 1251) return "";
  return "the ANSI code page is " + std::to_string(::GetACP()) +
         "; wine takes 1251 from LC_ALL=ru_RU.UTF-8 with that locale made";
}

// Holds work/`name` open, sharing nothing, while mirlot runs.
WindowsArrange Hold(std::string name) {
  return [=](PackWindowsRows& t) -> std::string {
    t.held_ =
        ::CreateFileW(t.scratch_.Native("work/" + name).c_str(), GENERIC_READ,
                      0, nullptr, OPEN_EXISTING, 0, nullptr);
    return t.held_ == INVALID_HANDLE_VALUE ? "cannot open " + name : "";
  };
}

// The same four members named by a backslash path, a root-relative path, a
// drive and a path relative to it, and a full path.
std::string PathForms(PackWindowsRows& t) {
  const std::string work = t.scratch_.Path("work");  // "C:\...\work"
  t.scratch_.Write("work/list.txt", "sub\\p1.dat\r\n" + work.substr(2) +
                                        "\\p2.dat\r\n" + work.substr(0, 2) +
                                        "p3.dat\r\n" + work + "\\p4.dat\r\n");
  t.scratch_.Write("work/sub/p1.dat", MemberBytes(56, "P1"));
  for (const char* name : {"p2.dat", "p3.dat", "p4.dat"}) {
    t.scratch_.Write("work/"s + name, MemberBytes(56, {'P', name[1]}));
  }
  return "";
}

// A member whose full path is longer than 260 characters.
std::string LongMember(PackWindowsRows& t) {
  const std::string name = std::string(250, 'm') + ".dat";
  t.scratch_.Write("work/list.txt", name + "\r\n");
  t.scratch_.Write("work/" + name, MemberBytes(56, "M1"));
  return t.scratch_.Path("work/" + name).size() > 260 ? "" : "path too short";
}

// Drive M: of the wine prefix, a tmpfs of 256 KiB: the earlier outputs and
// the list on it, a member of 1 MiB outside it.
std::string FullDrive(PackWindowsRows& t) {
  ULARGE_INTEGER total{};
  if (!::GetDiskFreeSpaceExW(L"M:\\", nullptr, &total, nullptr) ||
      total.QuadPart > (1u << 20)) {
    return "no small drive M: (tests/faults/full_drive.sh maps a 256 KiB "
           "tmpfs there when run as root)";
  }
  t.drive_.emplace("M:\\");
  t.drive_->Write("keep.dat", MemberBytes(60, "KEEP01"));
  t.drive_->Write("earlier.lst", "keep.dat\r\n");
  if (t.Pack(t.drive_->Path("earlier.lst")).exit_status != 0) {
    return "cannot pack on drive M:";
  }
  t.scratch_.Write("work/huge.dat", MemberBytes(1 << 20));
  t.drive_->Write("list.txt", t.scratch_.Path("work/huge.dat") + "\r\n");
  t.list_ = t.drive_->Path("list.txt");
  return "";
}

const std::string kCyrillicImage =
    "\0\0\0\x10\0\0\0\x02\0\0\0\x12\0\0\0\x03"
    "F1E22"s;
const std::map<std::string, std::string> kCyrillic = {{"Файл.dat", "F1"},
                                                      {"ёж.dat", "E22"}};
const std::string kCyrillicReport =
    "#,            Name,          Offset,       Size\r\n"
    " 1            Файл.dat       16            2\r\n"
    " 2            ёж.dat         18            3\r\n";

const WindowsRow kWindowsRows[] = {
    {"HiddenMember",
     Members("a.dat\nh.dat\n", {{"h.dat", "H1"}},
             Attributes("h.dat", FILE_ATTRIBUTE_HIDDEN)),
     "Файл # 1 не существует!"},
    {"SystemMember",
     Members("s.dat\n", {{"s.dat", "S1"}},
             Attributes("s.dat", FILE_ATTRIBUTE_SYSTEM)),
     "Файл # 0 не существует!"},
    {"DotFilePacks", Members(".d.dat\n", {{".d.dat", "D1"}}, DotFilesShown), "",
     "\0\0\0\x08\0\0\0\x02"
     "D1"s},
    {"NulMember", Members("a.dat\nNUL\n"), "Файл # 1 не существует!"},
    {"ConMember", Members("CON\n"), "Файл # 0 не существует!"},
    {"NulTxtMember", Members("a.dat\nb.dat\nnul.txt\n"),
     "Файл # 2 не существует!"},
    {"ListInCodePage1251",
     Members("\xD4\xE0\xE9\xEB.dat\r\n\xB8\xE6.dat\r\n", kCyrillic,
             AnsiCodePage1251),
     "", kCyrillicImage,
     "#,            Name,          Offset,       Size\r\n"
     " 1            \xD4\xE0\xE9\xEB.dat       16            2\r\n"
     " 2            \xB8\xE6.dat         18            3\r\n"},
    {"ListInUtf8", Members("Файл.dat\r\nёж.dat\r\n", kCyrillic), "",
     kCyrillicImage, kCyrillicReport},
    {"ListInUtf8WithMark",
     Members("\xEF\xBB\xBF"
             "Файл.dat\r\nёж.dat\r\n",
             kCyrillic),
     "", kCyrillicImage, kCyrillicReport},
    {"PathForms", PathForms, "",
     "\0\0\0\x20\0\0\0\x02\0\0\0\x22\0\0\0\x02"
     "\0\0\0\x24\0\0\0\x02\0\0\0\x26\0\0\0\x02"
     "P1P2P3P4"s},
    {"PathOver260Characters", LongMember, "",
     "\0\0\0\x08\0\0\0\x02"
     "M1"s},
    {"ImageHeldOpen", Members("a.dat\n", {}, Hold("out.bin")),
     "Ошибка 70Permission denied"},
    {"ReportHeldOpen", Members("a.dat\n", {}, Hold("report.txt")),
     "Ошибка 70Permission denied"},
    {"FullDrive", FullDrive, "Ошибка 61Disk full"},
};

TEST_P(PackWindowsRows, FailsWithItsMessageOrPacks) {
  const WindowsRow& row = GetParam();
  if (const std::string why = row.arrange(*this); !why.empty()) {
    GTEST_SKIP() << why;
  }
  const FolderSnapshot before = Snapshot();
  const ChildResult run = Pack(list_);
  if (row.message.empty()) {
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out, "Done\n");
    if (!row.report.empty()) {
      EXPECT_EQ(scratch_.Read("work/report.txt"), row.report);
    }
  } else {
    ExpectFailed(run, row.message, before);
  }
  if (held_ != INVALID_HANDLE_VALUE) ::CloseHandle(held_);
  EXPECT_EQ(scratch_.Read("work/out.bin"),
            row.message.empty() ? row.image : kEarlierImage);
}

INSTANTIATE_TEST_SUITE_P(Windows, PackWindowsRows,
                         ::testing::ValuesIn(kWindowsRows),
                         [](const ::testing::TestParamInfo<WindowsRow>& row) {
                           return row.param.name;
                         });
#endif  // _WIN32

}  // namespace
}  // namespace mirlot
