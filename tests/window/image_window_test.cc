// The image window's core played by a scripted user over the in-memory file
// system: opening, Extract… with its questions, Verify… and Reload, each
// with what the user saw and, for Extract…, the files it left; and the
// run they all start on the worker, when no thread can be started.
#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <sstream>
#include <thread>

#include "runtime/fake_file_system.h"
#include "runtime/file_system.h"
#include "support/packing_fixtures.h"
#include "window/background_run.h"
#include "window/image_choice.h"
#include "window/image_window_core.h"
#include "window_scenarios.h"

namespace mirlot {
namespace {

using namespace std::literals;

// Serves by waiting: the worker's calls run at once, one at a time.
class SpinHost : public RunHost {
 public:
  void CallOnWindowThread(const std::function<void()>& task) override {
    std::lock_guard<std::mutex> lock(mutex_);
    task();
  }
  void WakeWindowThread() override {}
  void Serve(const ServeCalls& calls) override {
    ++served;
    while (!calls.ended()) std::this_thread::sleep_for(1ms);
  }
  std::unique_ptr<ProgressView> OpenProgress(std::function<void()>) override {
    return nullptr;
  }
  int served = 0;

 private:
  std::mutex mutex_;
};

// A payload's note in every message of a finished extraction.
const std::string kPayloads =
    "|Each file holds a payload: the member without its first 50 and last 4 "
    "bytes, not the member itself.]";

TEST(ImageWindowTest, UserSessions) {
  // The steps (extract, verify, "change" a.dat, "repack" it, "damage"
  // out.bin), the user's answers in order, what the user saw, and the
  // payload in /d/out/a.dat afterwards ("" none).
  const struct {
    std::string steps, answers, seen, payload;
  } rows[] = {
      {"extract; repack; extract", "/d/out;/d/out;yes",
       "(/d/out)[Extracted 1 of 1 payloads to /d/out" + kPayloads +
           "(/d/out)[1 file to be written exists already in /d/out. Replace "
           "it?|/d/out/a.dat|2 buttons][Extracted 1 of 1 payloads to /d/out" +
           kPayloads,
       "BBBB"},
      {"damage; extract", "/d/y;yes",
       "(/d/out)[/d/out.bin is unsound: 1 problem. Extract only the entries "
       "that lie wholly inside it?|entry 1: payload ends at 17, 7 bytes past "
       "the end of the file|2 buttons][Extracted 0 of 1 payloads to /d/y; "
       "1 entry skipped" +
           kPayloads,
       ""},
      {"change; verify", "/d/l.txt",
       "(/d)[/d/out.bin and /d/report.txt differ from what /d/l.txt names "
       "now: 1 difference|list line 1, field 1: payload differs at byte 51 "
       "of a.dat]",
       ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.steps);
    FakeFileSystem fs;
    fs.AddFile("/d/a.dat", MemberBytes(58, "AAAA"));
    fs.AddFile("/d/l.txt", "a.dat\n");
    ASSERT_EQ(PackList(fs, "/d/l.txt"), RunOutcome::kDone);
    ScriptedUser<int> user;
    user.answer = row.answers;
    ImageWindowCore<int> window({user, user, user, user, fs});
    SpinHost host;
    ASSERT_TRUE(window.Open(host, 0, "/d/out.bin"));
    std::istringstream steps(row.steps);
    for (std::string step; std::getline(steps >> std::ws, step, ';');) {
      if (step == "extract") window.Extract(host, 0);
      if (step == "verify") window.Verify(host, 0);
      if (step == "change" || step == "repack") {
        fs.AddFile("/d/a.dat", MemberBytes(58, "BBBB"));
      }
      if (step == "damage") {
        fs.AddFile("/d/out.bin", "\0\0\0\x08\0\0\0\x09WX"s);
        ASSERT_TRUE(window.Reload(host, 0));
      }
      if (step == "repack") {
        ASSERT_EQ(PackList(fs, "/d/l.txt"), RunOutcome::kDone);
        ASSERT_TRUE(window.Reload(host, 0));
      }
    }
    EXPECT_EQ(user.seen, row.seen);
    EXPECT_EQ(fs.Content("/d/out/a.dat"), row.payload);
  }
}

// A row is read when asked for, its name's control characters escaped.
TEST(ImageWindowTest, ReadsARowWhenAsked) {
  FakeFileSystem fs;
  fs.AddFile("/d/l\tb.dat", MemberBytes(60, "CCCCCC"));
  fs.AddFile("/d/l.txt", "l\tb.dat\n");
  ASSERT_EQ(PackList(fs, "/d/l.txt"), RunOutcome::kDone);
  ScriptedUser<int> user;
  ImageWindowCore<int> window({user, user, user, user, fs});
  SpinHost host;
  ASSERT_TRUE(window.Open(host, 0, "/d/out.bin"));
  const std::array<std::string, 4> row = {"1", "l\\tb.dat", "8", "6"};
  EXPECT_EQ(window.Row(0), row);
  EXPECT_EQ(window.Row(1)[2], "");  // past the last row: its number alone
  // A report of another table, a file that is no image (the shared
  // scenarios show an unsound one).
  const struct {
    std::string image, report, verdict;  // report "": none
  } others[] = {
      {"\0\0\0\x08\0\0\0\x02WX"s, "#, Name\r\n",
       "10 bytes, 1 entry; sound; names: none (/e/report.txt does not match "
       "the table: its first line is not the heading)"},
      {"not an image"s, "",
       "Not a Mirlot image: entry 1: offset 1852797984 declares a table of "
       "231599748 entries, which runs past the end of the file (12 bytes)"},
  };
  for (const auto& other : others) {
    fs.AddFile("/e/out.bin", other.image);
    if (!other.report.empty()) fs.AddFile("/e/report.txt", other.report);
    ASSERT_TRUE(window.Open(host, 0, "/e/out.bin"));
    EXPECT_EQ(window.Verdict(), other.verdict);
    if (window.row_count() > 0) {
      EXPECT_EQ(window.Row(0)[1], "");  // no name without a matching report
    }
  }
}

TEST(ImageWindowTest, OutBinAndAReportBesideOneAreImages) {
  FakeFileSystem fs;
  fs.AddFile("/e/report.txt", "");
  const struct {
    std::vector<std::string> paths;
    std::string image;  // "" when the paths name a list
  } rows[] = {{{"/e/report.txt"}, ""},
              {{"/d/out.bin.txt"}, ""},
              {{"/d/report.txt", "/d/out.bin"}, "/d/out.bin"},
              {{"/d/report.txt", "/e/out.bin"}, ""},
              {{"/d/out.bin", "/d/l.txt"}, ""}};
  for (const auto& row : rows) {
    EXPECT_EQ(DroppedImage(row.paths, fs).value_or(""), row.image)
        << row.paths[0];
  }
}

// A run for which no thread can be started fails as a run short of memory
// does, with its message, and neither packs nor serves.
TEST(BackgroundRunTest, NoThreadForTheRunFailsAsOutOfMemory) {
  SpinHost host;
  std::string shown;
  const auto show = [&shown](const WindowMessage& message) {
    shown += message.title + "|" + message.text + "|" + message.detail + ";";
  };
  BackgroundRun run(host, {}, show, [](auto) { return std::nullopt; });
  EXPECT_EQ(run.Run({"list.txt"}, HostFileSystem()), RunOutcome::kFailed);
  EXPECT_EQ(shown, "Mirlot utility|Ошибка 7Out of memory|;");
  EXPECT_EQ(host.served, 0);
}

}  // namespace
}  // namespace mirlot
