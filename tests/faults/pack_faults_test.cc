// Runs the real `mirlot pack` against faults only the host's kernel or the
// Windows runtime can make: FIFOs, links, folders in place of files, full
// file systems, file-size limits, permissions, attributes, devices, and the
// list stage's refusals, which no other suite runs; and every command within
// a memory limit.
// Every failing run must print its one exact message, exit with 1 (a
// command that reads, with its own status) and leave the folder exactly as
// it was (an earlier out.bin and report.txt byte for byte, no temporary
// file). Then pack, verify and extract on the file systems people keep
// their files on (FileSystems).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "format/commit_record_text.h"
#include "format/content_checksum.h"
#include "support/child_process.h"
#include "support/packing_fixtures.h"
#include "support/temp_folder.h"
#include "support/text_match.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace mirlot {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Words = std::vector<std::string>;

const std::string k53 = "Ошибка 53File not found";
const std::string k61 = "Ошибка 61Disk full";
const std::string k70 = "Ошибка 70Permission denied";
const std::string k75 = "Ошибка 75Path/File access error";
const std::string kMissing1 = "Файл # 1 не существует!";

struct FaultRow {
  const char* name;
  std::string list;  // written to work/list.txt
  std::string kind;  // what Arrange() makes of work/`path`
  std::string path;  // also the list given when `list` is empty
  std::string message;
  std::string detail = "…";  // on the line after it
};

class PackFaults : public ::testing::Test {
 protected:
  explicit PackFaults(
      const fs::path& scratch_parent = fs::temp_directory_path())
      : scratch_(scratch_parent) {}

  // Packs keep.dat in work/ so that an earlier out.bin and report.txt are
  // there, and adds the members a.dat, b.dat and .h.dat.
  void SetUp() override {
    ASSERT_TRUE(PackEarlier(scratch_, "work/"));
    for (const char* member : {"work/a.dat", "work/b.dat", "work/.h.dat"})
      scratch_.Write(member, MemberBytes(100));
  }

  // Packs keep.dat in `folder`/`where`: an earlier out.bin and report.txt.
  bool PackEarlier(const TempFolder& folder, const std::string& where) {
    folder.Write(where + "keep.dat", MemberBytes(60, "KEEP01"));
    folder.Write(where + "earlier.lst", "keep.dat\n");
    return Pack(folder.Path(where + "earlier.lst")).exit_status == 0;
  }

  // Runs `prefix`, mirlot, then `args` from the scratch folder, so that a
  // stray write to the current folder shows as well.
  ChildResult Run(const Words& args, Words prefix = {}) {
    prefix.push_back(mirlot_);
    prefix.insert(prefix.end(), args.begin(), args.end());
    return RunChild(prefix, scratch_.root().string());
  }

  ChildResult Pack(const std::string& list, Words prefix = {}) {
    return Run({"pack", list}, std::move(prefix));
  }

  // What `folder`/`where` holds under the run's names: those beginning with
  // "." that are no member *.dat.
  static FolderSnapshot Leftovers(const TempFolder& folder,
                                  const std::string& where) {
    FolderSnapshot left = folder.Snapshot();
    std::erase_if(left, [&where](const auto& entry) {
      return !entry.first.starts_with(where + ".") ||
             entry.first.ends_with(".dat");
    });
    return left;
  }

  // Runs `run(N)`, a pack over the earlier pair in `folder`/`where` of a
  // list whose member is named ...a.dat, ended at its N-th step, for N = 1,
  // 2, … until a run is neither killed nor says its folder "moved", which
  // must succeed. After each run inspect, the first command after it, finds
  // one whole pair: the earlier one while the run's record is there or the
  // run failed, the new one only when it succeeded. Packing the earlier pair
  // again, for the next run too, leaves none of the run's names (Leftovers).
  // Returns how many runs came before the one that succeeded.
  int KillAtEveryStep(const TempFolder& folder, const std::string& where,
                      const std::function<ChildResult(int)>& run) {
    for (int n = 1;; ++n) {
      SCOPED_TRACE("step " + std::to_string(n));
      const ChildResult result = run(n);
      const bool killed = result.exit_status == 137,
                 recorded = fs::exists(folder.Native(where + ".mirlot-commit"));
      const std::string shown =
          Run({"inspect", folder.Path(where + "out.bin")}).out;
      const bool earlier = shown.ends_with("  keep.dat\nsound\n");
      EXPECT_TRUE(earlier || shown.ends_with("a.dat\nsound\n")) << shown;
      EXPECT_TRUE(earlier ? result.exit_status != 0 : !recorded);
      EXPECT_TRUE(killed || earlier == (result.exit_status != 0));
      EXPECT_TRUE(PackEarlier(folder, where));
      EXPECT_EQ(Leftovers(folder, where), FolderSnapshot{});
      if (killed || result.out.ends_with("moved\n")) continue;
      EXPECT_EQ(result.exit_status, 0) << result.err;
      return n - 1;
    }
  }

  // Packs `list` (in the scratch folder, or a full path), which must fail
  // with exactly `message`, then `detail` ("…" when any), and change nothing
  // in the scratch folder or, when there is one, on the small drive. More
  // details are rows of tests/cli/exit_status_test.cc.
  void ExpectRefused(const std::string& list, const std::string& message,
                     const Words& prefix = {},
                     const std::string& detail = "…") {
    const TempFolder& watched = drive_ ? *drive_ : scratch_;
    const FolderSnapshot before = watched.Snapshot();
    const ChildResult run = Pack(scratch_.Path(list), prefix);
    EXPECT_EQ(run.exit_status, 1) << "137: ended at the deadline";
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(
        Matches(run.err, message + "\nmirlot pack: " + detail + "\n", "…"))
        << run.err;
    EXPECT_EQ(watched.Snapshot(), before);
  }

  // What a pack into work/ that could not lock it, for `why`, shows.
  std::string Unlocked(const std::string& why) const {
    return "Done\nmirlot pack: could not lock " + scratch_.Path("work") + " (" +
           why + "); another run into it could interleave with this one\n";
  }

  // Writes work/list.txt and makes work/`row.path` a "folder" (in place of
  // what was there), a "pipe", a "link" (dangling) or a "hard link" (to
  // out.bin); on Windows also a "hidden" or "system" file, one "held" (open,
  // sharing nothing); or the "full drive" row. Returns why the row cannot
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
    if (row.kind == "hard link")
      fs::create_hard_link(scratch_.Native("work/out.bin"), path);
    if (error) return "no symbolic links here: " + error.message();
    if (row.kind == "full drive") return ArrangeFullDrive();
#ifdef _WIN32
    if (row.kind == "pipe") return "no named pipes in a Windows folder";
    if (row.list.find(".h.dat") != std::string::npos)
      return "a dot-file is ordinary on Windows";
    return ArrangeOnWindows(row, path);
#else
    if (row.kind == "pipe") ::mkfifo(path.c_str(), 0644);
    return "";
#endif
  }

  // A small drive holds the earlier outputs and the list; the member, 1 MiB,
  // lies outside it and its payload does not fit: a tmpfs of 256 KiB mounted
  // as root, or on Windows drive M: of the wine prefix, such a tmpfs too.
  std::string ArrangeFullDrive() {
#ifdef _WIN32
    const std::string folder = "M:\\";
    ULARGE_INTEGER total{};
    if (!::GetDiskFreeSpaceExW(L"M:\\", nullptr, &total, nullptr) ||
        total.QuadPart > (1u << 20)) {
      return "no small drive M: (tests/faults/full_drive.sh maps a 256 KiB "
             "tmpfs there when run as root)";
    }
#else
    const std::string folder = scratch_.Path("full");
    fs::create_directory(folder);
    if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=262144") != 0)
      return "cannot mount a tmpfs here";
    mounted_ = folder;
#endif
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
    if (attributes && !::SetFileAttributesW(path.c_str(), attributes))
      return "cannot set the attributes of " + row.path;
    if (row.kind == "held") {
      held_ = ::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
      if (held_ == INVALID_HANDLE_VALUE) return "cannot open " + row.path;
    }
    return "";
  }

  HANDLE held_ = INVALID_HANDLE_VALUE;
#endif

  // However the test ended, the small drive goes after its folder.
  void TearDown() override {
    drive_.reset();
#ifndef _WIN32
    if (!mounted_.empty()) ::umount2(mounted_.c_str(), MNT_DETACH);
#endif
  }

  std::string mirlot_ = MIRLOT_BINARY;  // what Run() runs
  TempFolder scratch_;
  std::optional<TempFolder> drive_;  // on a small drive of its own
  std::string mounted_;              // the small drive, when a tmpfs
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
    {"ImageNameTakenByFolder", "a.dat\n", "folder", "out.bin", k75,
     "replacing out.bin and report.txt in …work: out.bin is a folder"},
    // A list that is one of the outputs would be lost to them.
    {"ListIsTheReport", "", "", "report.txt", k75},
    {"ListIsALinkToTheImage", "", "hard link", "list.lnk", k75},
    {"FullDrive", "", "full drive", "", k61},
#ifdef _WIN32
    {"HiddenMember", "a.dat\nb.dat\n", "hidden", "b.dat", kMissing1},
    {"SystemMember", "a.dat\n", "system", "a.dat", "Файл # 0 не существует!"},
    {"ConMember", "CON\n", "", "", "Файл # 0 не существует!"},
    // clang-format off
    {"NulTxtMember", "a.dat\nb.dat\nnul.txt\n", "", "", "Файл # 2 не существует!"},
    // clang-format on
    {"ImageHeldOpen", "a.dat\n", "held", "out.bin", k70},
    {"ReportHeldOpen", "a.dat\n", "held", "report.txt", k70},
#endif
};

class PackFaultRows : public PackFaults,
                      public ::testing::WithParamInterface<FaultRow> {};

TEST_P(PackFaultRows, FailsWithItsMessageAndChangesNothing) {
  if (const std::string why = Arrange(GetParam()); !why.empty())
    GTEST_SKIP() << why;
  ExpectRefused(list_, GetParam().message, {}, GetParam().detail);
#ifdef _WIN32
  // A held file reads as empty in the snapshots: out.bin is read again
  // once it is let go, as packed before each test.
  if (held_ == INVALID_HANDLE_VALUE) return;
  ::CloseHandle(held_);
  EXPECT_EQ(scratch_.Read("work/out.bin"), "\0\0\0\x08\0\0\0\x06KEEP01"s);
#endif
}

INSTANTIATE_TEST_SUITE_P(Files, PackFaultRows, ::testing::ValuesIn(kFaultRows),
                         [](const auto& row) { return row.param.name; });

#ifdef _WIN32
// Runs `command`, a program of the host's /bin and its arguments, in
// `folder`, and waits until `file` exists or, when `gone`, no longer does:
// wine starts a Unix program without a handle to wait on. Makes and removes
// the Unix links that wine shows as plain files (its CreateSymbolicLinkW
// makes nothing, and its DeleteFileW removes what a link leads to). False
// where there is no such program (not under wine).
bool RunOnHost(const fs::path& folder, std::wstring command,
               const fs::path& file, bool gone = false) {
  const std::wstring program =
      L"Z:\\bin\\" + command.substr(0, command.find(' '));
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!::CreateProcessW(program.c_str(), command.data(), nullptr, nullptr,
                        FALSE, 0, nullptr, folder.c_str(), &startup,
                        &started)) {
    return false;
  }
  for (int wait = 0; wait < 500 && fs::exists(file) == gone; ++wait)
    ::Sleep(10);
  return fs::exists(file) != gone;
}

// What has the lock file's name before a pack: a read-only file of the
// user's, the hidden, empty lock file a power cut left, or a Unix link to a
// file in another folder (wine shows one as a plain file; only where it
// leads tells it apart). The pack, and an inspect after it, leave it as it
// was, and what a link leads to byte for byte; only the lock file is
// locked, anything else makes the pack say it could not lock.
TEST_F(PackFaults, OnlyALockFileIsLockedAndNothingOfItsNameIsTouched) {
  // Its kind ("read-only", "lock file" or "link"), the content of the file
  // or of the link's target, and why pack could not lock ("" when it did).
  const std::string rows[][3] = {
      {"read-only", "mine", "Permission denied"},
      {"lock file", "", ""},
      {"link", "not a lock", "Path/File access error"},
      {"link", "", "Path/File access error"}};
  const std::string lock = "work/.mirlot-commit.lock";
  const std::string target = "other/.mirlot-commit.lock";
  const wchar_t kLink[] = L"ln -sf ../other/.mirlot-commit.lock .";
  scratch_.Write("work/list.txt", "a.dat\n");
  for (const auto& [kind, content, why] : rows) {
    SCOPED_TRACE(kind + " holding '" + content + "'");
    const DWORD attributes =
        kind == "read-only" ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_HIDDEN;
    scratch_.Write(kind == "link" ? target : lock, content);
    if (kind != "link") {
      ::SetFileAttributesW(scratch_.Native(lock).c_str(), attributes);
    } else if (!RunOnHost(scratch_.Native("work"), kLink,
                          scratch_.Native(lock))) {
      GTEST_SKIP() << "no Unix ln at Z:\\bin\\ln: not under wine";
    }
    FolderSnapshot before = scratch_.Snapshot();
    const ChildResult run = Pack(scratch_.Path("work/list.txt"));
    const std::string shown =
        Run({"inspect", scratch_.Path("work/out.bin")}).out;
    EXPECT_EQ(run.out + run.err, why.empty() ? "Done\n" : Unlocked(why));
    EXPECT_TRUE(shown.ends_with("1           8          46  a.dat\nsound\n"));
    FolderSnapshot after = scratch_.Snapshot();
    EXPECT_EQ(after[lock] + after[target], before[lock] + before[target]);
    if (kind == "link") continue;  // the next link replaces it
    EXPECT_EQ(::GetFileAttributesW(scratch_.Native(lock).c_str()) &
                  (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN),
              attributes);
    ::SetFileAttributesW(scratch_.Native(lock).c_str(), FILE_ATTRIBUTE_NORMAL);
    fs::remove(scratch_.Native(lock));
  }
  RunOnHost(scratch_.Native("work"), L"rm .mirlot-commit.lock",
            scratch_.Native(lock), true);
}

// A reader holds the earlier out.bin open, sharing it as mirlot's readers
// do, while two packs replace it: both succeed and the reader still reads
// the earlier image. Windows keeps a removed file that is still open
// "delete pending" under its name, the earlier image here; nothing is left
// once the reader lets go.
TEST_F(PackFaults, PacksReplaceAnImageAReaderHoldsOpen) {
  scratch_.Write("work/list.txt", "a.dat\n");
  const HANDLE reader =
      ::CreateFileW(scratch_.Native("work/out.bin").c_str(), GENERIC_READ,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, 0, nullptr);
  for (int pack = 0; pack < 2; ++pack)
    EXPECT_EQ(Pack(scratch_.Path("work/list.txt")).out, "Done\n");
  char read[15] = {};
  DWORD got = 0;
  EXPECT_TRUE(::ReadFile(reader, read, sizeof read, &got, nullptr));
  ::CloseHandle(reader);
  EXPECT_EQ(std::string(read, got), "\0\0\0\x08\0\0\0\x06KEEP01"s);
  EXPECT_EQ(Leftovers(scratch_, "work/"), FolderSnapshot{});
}
#endif

// A pack of a new list killed at each file operation of its folder, for
// every N until a run is not killed (crash_pack, on every host: the fake's
// crash table stops a run at every step with and without the exchange
// primitive, and the FileSystems rows kill at every rename where names can
// be neither swapped nor linked). Then crash_pack's runs whose folder moves
// away at their N-th operation, an empty folder taking its place as a link
// swapped in the path would make it (Windows refuses to move a folder a run
// holds open), with "move-fail" failing the next operation: every name
// stays in the folder the run opened, and the folder now at the path gets
// nothing. Every run leaves one whole pair (ExpectOnePairAfter).
TEST_F(PackFaults, KillOrMoveAtEveryStepOfTheCommitLeavesOnePair) {
  scratch_.Write("src/a.dat", MemberBytes(100));
  scratch_.Write("work/list.txt", scratch_.Path("src/a.dat") + "\n");
  const fs::path work = scratch_.Native("work"), moved = scratch_.Native("m");
  const Words move = {"move", work.string(), moved.string()};
  struct Killer {
    Words action;  // crash_pack's, after N and LIST
    int step = 1;  // between the operations it ends at
  };
#ifdef _WIN32
  const Killer killers[] = {{{}}, {move, 3}};
#else
  const Killer killers[] = {{{}}, {move}, {{"move-fail", move[1], move[2]}}};
#endif
  for (const Killer& killer : killers) {
    KillAtEveryStep(scratch_, "work/", [&](int n) {
      Words crash = {CRASH_PACK_BINARY,
                     std::to_string(1 + killer.step * (n - 1)),
                     scratch_.Path("work/list.txt")};
      crash.insert(crash.end(), killer.action.begin(), killer.action.end());
      const ChildResult run = RunChild(crash);
      if (run.out == "moved\n") {
        EXPECT_TRUE(fs::is_empty(work));
        fs::remove(work);
        fs::rename(moved, work);
      }
      return run;
    });
  }
}

// Files in the commit record's place that are not ours: a record naming a
// file outside the folder; one another user planted to move a file of
// theirs onto out.bin (POSIX, as root); and a link to a file elsewhere. The
// next command removes it unacted (under wine it leaves a Unix link, which
// wine cannot remove without removing what it leads to), says so, and
// leaves every other file as it was.
TEST_F(PackFaults, RecordsNotOursAreRemovedUnacted) {
  scratch_.Write("outside.txt", "outside");
  scratch_.Write("work/.out.bin.tmp-Evil0001", "EVIL");
  // The earlier file's size is wrong, so the new one would be kept.
  RecordedMove move[] = {
      {".out.bin.tmp-Evil0001", "../outside.txt", 1, 4, ChecksumOf("EVIL")}};
  const std::string record =
      (scratch_.root() / "work" / ".mirlot-commit").string();
  const std::string earlier = scratch_.Read("work/out.bin");
  std::string skipped;
  for (const std::string why :
       {"it names ../outside.txt", "owned by another user",
        "not a regular file"}) {
    SCOPED_TRACE(why);
    std::string gone = ", removed", failed;  // why it cannot be arranged
    if (why.starts_with("it") || why.starts_with("owned")) {
      scratch_.Write("work/.mirlot-commit", EncodeCommitRecord(move));
      move[0].to = "out.bin";  // for the next row
    }
    if (why.starts_with("owned")) {
      const ChildResult chown =
          RunChild({"/bin/chown", "65534:65534", record,
                    scratch_.Path("work/.out.bin.tmp-Evil0001")});
      if (chown.exit_status != 0) failed = "chown: " + chown.err;
    } else if (why.starts_with("not")) {
#ifdef _WIN32
      // Wine removes what a Unix link leads to, so the link stays.
      gone = ", left in place";
      if (!RunOnHost(scratch_.Native("work"),
                     L"ln -s ../outside.txt .mirlot-commit", record)) {
        failed = "no Unix ln: not under wine";
      }
#else
      std::error_code error;
      fs::create_symlink(scratch_.Path("outside.txt"), record, error);
      if (error) failed = error.message();
#endif
    }
    if (!failed.empty()) {
      fs::remove(record);
      skipped += why + ": " + failed + "; ";
      continue;
    }
    const ChildResult run = Run({"inspect", scratch_.Path("work/out.bin")});
    EXPECT_EQ(run.err, "mirlot inspect: " + record + ": not ours (" + why +
                           ")" + gone + "\n");
    EXPECT_EQ(fs::exists(fs::symlink_status(record)), gone != ", removed");
    EXPECT_EQ(scratch_.Read("outside.txt"), "outside");
    EXPECT_EQ(scratch_.Read("work/out.bin"), earlier);
  }
  if (!skipped.empty()) GTEST_SKIP() << "cannot arrange " << skipped;
}

#ifndef _WIN32
// Root writes anywhere and starts threads beyond any limit; these rows run
// mirlot as nobody instead. Nobody may be unable to enter the build tree or
// a private TMPDIR, so it runs a copy of mirlot from a folder under /tmp, in
// a scratch folder under /tmp too. A folder that cannot be written fails with
// 70; a reading thread that cannot start, at a limit of one process, with 7
// as memory running out does (the leak checker of sanitizer builds would
// need a thread of its own). A folder that can be written but not read
// cannot be locked: the run packs and says so.
class PackFaultsAsAnotherUser : public PackFaults {
 protected:
  PackFaultsAsAnotherUser() : PackFaults("/tmp") {}
  TempFolder copy_{"/tmp"};  // where nobody's copy of mirlot lies
};

TEST_F(PackFaultsAsAnotherUser, FolderAccessAndThreads) {
  scratch_.Write("work/list.txt", "a.dat\nb.dat\n");
  for (const char* file : {"list.txt", "a.dat", "b.dat"})
    fs::permissions(scratch_.Path("work/"s + file), fs::perms(0644));
  fs::permissions(scratch_.Path("work"), fs::perms(0555));
  Words prefix;
  if (::geteuid() == 0) {
    prefix = {"/usr/bin/setpriv", "--reuid=65534", "--regid=65534",
              "--clear-groups"};
    mirlot_ = copy_.Path("mirlot");
    fs::copy_file(MIRLOT_BINARY, mirlot_);
    fs::permissions(mirlot_, fs::perms(0755));
    Words probe = prefix;
    probe.insert(probe.end(),
                 {"/bin/sh", "-c", "cat \"$1\" && \"$0\" --version", mirlot_,
                  scratch_.Path("work/list.txt")});
    if (const ChildResult run = RunChild(probe); run.exit_status != 0) {
      GTEST_SKIP() << "nobody cannot read the list or run " << mirlot_ << ": "
                   << run.err;
    }
  }
  ExpectRefused("work/list.txt", k70, prefix);
  fs::permissions(scratch_.Path("work"), fs::perms(0777));
  prefix.insert(prefix.end(), {"/usr/bin/env", "ASAN_OPTIONS=detect_leaks=0",
                               "/usr/bin/prlimit", "--nproc=1"});
  ExpectRefused("work/list.txt", "Ошибка 7Out of memory", prefix);
  prefix.resize(prefix.size() - 2);
  fs::permissions(scratch_.Path("work"), fs::perms(0333));
  const ChildResult run = Pack(scratch_.Path("work/list.txt"), prefix);
  EXPECT_EQ(run.out + run.err, Unlocked("Permission denied"));
  fs::permissions(scratch_.Path("work"), fs::perms(0755));  // to remove it
}

// The limit set by the shell that starts mirlot, with SIGXFSZ at its
// default, which would end mirlot mid-write and leave a temporary file.
TEST_F(PackFaults, FileSizeLimitDuringCopyFailsWith61) {
  scratch_.Write("work/huge.dat", MemberBytes(1 << 20));
  scratch_.Write("work/list.txt", "a.dat\nhuge.dat\n");
  ExpectRefused("work/list.txt", k61, Sh("ulimit -f 128"),
                "writing out.bin in …work: no space left");
}

// pack, verify and extract on the file systems people keep their files on:
// ext4, xfs and btrfs on loop images, tmpfs, NTFS through ntfs-3g and exFAT
// through exfat-fuse, each made and mounted by file_system.sh (as root;
// where it cannot, the row is skipped with the reason), and a folder where
// strace fails every renameat2 with EINVAL and every linkat with EPERM, as
// exFAT through FUSE does.
struct FileSystemRow {
  const char* name;   // file_system.sh's kind
  Words faults = {};  // strace's, for every run in a plain folder instead
};

class FileSystems : public PackFaults,
                    public ::testing::WithParamInterface<FileSystemRow> {
 protected:
  void SetUp() override {
    if (!StraceWorks()) GTEST_SKIP() << "strace cannot trace here";
    const ChildResult mounted = FileSystem("mount");
    if (mounted.exit_status == 77) GTEST_SKIP() << mounted.out;
    ASSERT_EQ(mounted.exit_status, 0) << mounted.out << mounted.err;
    folder_.emplace(scratch_.Native("mnt"));
  }

  // However the test ended, the file system goes before the scratch folder.
  void TearDown() override {
    folder_.reset();
    FileSystem("unmount");
  }

  ChildResult FileSystem(const std::string& verb) {
    return RunChild({"/bin/sh", FILE_SYSTEM_SCRIPT, verb,
                     traced_ ? "plain" : GetParam().name,
                     scratch_.Path("mnt")});
  }

  const bool traced_ = !GetParam().faults.empty();
  // What runs mirlot: strace when the row says so.
  const Words prefix_ = traced_ ? Traced(GetParam().faults) : Words{};
  std::optional<TempFolder> folder_;  // on the file system
};

// pack, then pack again over the pair, and verify; extract, then extract
// again with --force over a changed file, an image packed in the scratch
// folder, so that extract shows what it does where pack fails. Nothing is
// left under a temporary name. Then, on the file systems, a pack of a new
// list killed at every call of each rename system call.
TEST_P(FileSystems, PackVerifyExtractAndKill) {
  const TempFolder& in = *folder_;
  in.Write("b.dat", MemberBytes(58, "BETA"));
  in.Write("list.txt", "a.dat\nb.dat\n");
  for (const char* payload : {"ALPHA1", "ALPHA2"}) {
    in.Write("a.dat", MemberBytes(60, payload));
    const ChildResult packed = Run({"pack", in.Path("list.txt")}, prefix_);
    EXPECT_EQ(packed.out + packed.err, "Done\n") << payload;
  }
  EXPECT_EQ(in.Read("out.bin"),
            "\0\0\0\x10\0\0\0\6\0\0\0\x16\0\0\0\4ALPHA2BETA"s);
  const ChildResult verified = Run({"verify", in.Path("list.txt")}, prefix_);
  EXPECT_EQ(verified.exit_status, 0) << verified.out << verified.err;
  ASSERT_TRUE(PackEarlier(scratch_, "image/"));
  Words extract = {"extract", scratch_.Path("image/out.bin"), "-o",
                   in.Path("out")};
  for (int time = 1; time <= 2; ++time, extract.push_back("--force")) {
    const ChildResult extracted = Run(extract, prefix_);
    EXPECT_EQ(extracted.exit_status, 0) << time << ": " << extracted.err;
    EXPECT_EQ(in.Read("out/keep.dat"), "KEEP01");
    in.Write("out/keep.dat", "changed");
  }
  // a.dat, b.dat, list.txt, out, out.bin, out/keep.dat and report.txt.
  EXPECT_EQ(in.Snapshot().size(), 7u) << testing::PrintToString(in.Snapshot());
  if (traced_) return;  // the kill table kills packs under these faults
  ASSERT_TRUE(PackEarlier(in, ""));
  in.Write("list.txt", "a.dat\n");
  int kills = 0;
  for (const std::string call : {"renameat2", "renameat", "rename"}) {
    kills += KillAtEveryStep(in, "", [&](int n) {
      return Pack(in.Path("list.txt"),
                  Traced({"-e", "inject=" + call +
                                    ":signal=KILL:when=" + std::to_string(n)}));
    });
  }
  EXPECT_GT(kills, 0);
}

// clang-format off
const FileSystemRow kFileSystems[] = {{"ext4"}, {"xfs"}, {"btrfs"}, {"tmpfs"}, {"ntfs_3g"}, {"exfat_fuse"},
    {"renameat2_EINVAL_linkat_EPERM", {"-e", "inject=renameat2:error=EINVAL", "-e", "inject=linkat:error=EPERM"}}};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Rows, FileSystems, ::testing::ValuesIn(kFileSystems),
                         [](const auto& row) { return row.param.name; });

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
  const Words rows[][2] = {
      {{"pack", list}, {"1 Ошибка 7Out of memory"}},
      {{"inspect", image},
       {"2 mirlot inspect: cannot read " + image + ": Out of memory"}},
      {{"verify", list},
       {"2 mirlot verify: cannot read " + list + ": Out of memory"}},
      {{"extract", "-o", x, image},
       {"1 mirlot extract: Out of memory",
        "2 mirlot extract: cannot read " + image + ": Out of memory"}},
  };
  const auto within = [&](std::uint64_t limit, const Words& run) {
    return Run(run, {"/usr/bin/prlimit", "--as=" + std::to_string(limit)});
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
