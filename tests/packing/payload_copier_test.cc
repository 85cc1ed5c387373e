#include "packing/payload_copier.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "packing/packing_run.h"
#include "runtime/fake_file_system.h"

namespace mirlot {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

// `size` bytes that differ from their neighbours, so that a block out of
// place shows.
std::string Pattern(std::size_t size, int seed) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) {
    bytes[i] = static_cast<char>((i * 7 + seed) % 251);
  }
  return bytes;
}

class RecordingObserver : public RunObserver {
 public:
  void OnProgress(std::uint64_t done, std::uint64_t total) override {
    progress.emplace_back(done, total);
  }
  bool CancelRequested() override { return ++polls == cancel_at_poll; }

  std::vector<std::pair<std::uint64_t, std::uint64_t>> progress;
  int polls = 0;
  int cancel_at_poll = 0;  // 0: never
};

struct Copy {
  void AddMember(const std::string& path, const std::string& payload) {
    fs.AddFile(path, std::string(50, 'h') + payload + "tail");
    table.push_back(
        {.name = path, .path = path, .member_size = 54 + payload.size()});
  }

  Status Run() {
    Result<std::unique_ptr<WritableFile>> image = fs.CreateNew("/d/image");
    EXPECT_TRUE(image.ok());
    return CopyPayloads(fs, table, *PlanContainer(table), **image, observer);
  }

  int Appends() const {
    return static_cast<int>(
        std::count(fs.calls().begin(), fs.calls().end(), "append /d/image"));
  }

  FakeFileSystem fs;
  EntryTable table;
  RecordingObserver observer;
};

TEST(PayloadCopierTest, CopiesPayloadsBackToBackInBlocksOfOneMiB) {
  const std::string big = Pattern(3 * kMiB / 2, 1);
  const std::string rest = Pattern(kMiB - 3, 2);
  Copy copy;
  copy.AddMember("/d/big", big);
  copy.AddMember("/d/empty", "");
  copy.AddMember("/d/small", "xyz");
  copy.AddMember("/d/rest", rest);
  ASSERT_TRUE(copy.Run().ok());
  EXPECT_TRUE(copy.fs.Content("/d/image") == big + "xyz" + rest);
  EXPECT_EQ(copy.Appends(), 3);
  using Progress = std::vector<std::pair<std::uint64_t, std::uint64_t>>;
  EXPECT_EQ(
      copy.observer.progress,
      (Progress{{1048576, 2621440}, {2097152, 2621440}, {2621440, 2621440}}));
  EXPECT_EQ(copy.observer.polls, 3);
}

TEST(PayloadCopierTest, GathersSmallMembersIntoOneAppend) {
  Copy copy;
  std::string expected;
  for (char c = 'a'; c <= 'z'; ++c) {
    copy.AddMember(std::string("/d/") + c, std::string(3, c));
    expected += std::string(3, c);
  }
  ASSERT_TRUE(copy.Run().ok());
  EXPECT_EQ(copy.fs.Content("/d/image"), expected);
  EXPECT_EQ(copy.Appends(), 1);
}

TEST(PayloadCopierTest, MembersWithEmptyPayloadsAreStillOpened) {
  Copy copy;
  copy.AddMember("/d/a", "");
  copy.AddMember("/d/b", "");
  copy.fs.RemoveFile("/d/b");
  EXPECT_EQ(copy.Run().number(), 53);
  EXPECT_EQ(copy.Appends(), 0);
}

TEST(PayloadCopierTest, StopsAtTheFirstFailureInListOrder) {
  struct Case {
    const char* name;
    std::function<void(Copy&)> spoil;
    int failure;
    std::uint64_t image_size;  // what was appended before the failure
  };
  const std::vector<Case> cases = {
      {"member vanished", [](Copy& c) { c.fs.RemoveFile("/d/b"); }, 53, kMiB},
      {"member shrank",
       [](Copy& c) { c.fs.AddFile("/d/b", std::string(60, 'h')); }, 62, kMiB},
      {"cancelled before the second block",
       [](Copy& c) { c.observer.cancel_at_poll = 2; }, 18, kMiB},
      {"cancelled before the first block",
       [](Copy& c) { c.observer.cancel_at_poll = 1; }, 18, 0},
      {"second write failed",
       [](Copy& c) {
         c.fs.FailOn(FakeFileSystem::Op::kAppend, "/d/image",
                     Status(FailureCode::kDiskFull), 1);
       },
       61, kMiB},
      {"first write failed before a later member vanished",
       [](Copy& c) {
         c.fs.FailOn(FakeFileSystem::Op::kAppend, "/d/image",
                     Status(FailureCode::kDiskFull));
         c.fs.RemoveFile("/d/c");
       },
       61, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Copy copy;
    copy.AddMember("/d/a", Pattern(kMiB + 10, 3));
    copy.AddMember("/d/b", Pattern(2 * kMiB, 4));
    copy.AddMember("/d/c", Pattern(kMiB, 5));
    c.spoil(copy);
    EXPECT_EQ(copy.Run().number(), c.failure);
    EXPECT_EQ(copy.fs.Content("/d/image").size(), c.image_size);
    // The reading thread has ended: nothing touches the files any more.
    const std::size_t calls = copy.fs.calls().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(copy.fs.calls().size(), calls);
  }
}

class RecordingSink : public MessageSink {
 public:
  void Show(std::string_view text, MessageKind) override {
    messages.emplace_back(text);
  }
  std::vector<std::string> messages;
};

TEST(PayloadCopierTest, WholeRunWritesTheImageThroughATemporaryFile) {
  FakeFileSystem fs;
  fs.AddFile("/d/list.txt", "one.dat\r\ntwo.dat\r\n");
  fs.AddFile("/d/one.dat", std::string(50, 'h') + Pattern(100, 6) + "tail");
  fs.AddFile("/d/two.dat", std::string(50, 'h') + Pattern(200, 7) + "tail");
  RecordingSink sink;
  RecordingObserver observer;
  EXPECT_EQ(RunPacking({.list_chosen = true, .list_path = "/d/list.txt"}, fs,
                       sink, observer),
            RunOutcome::kDone);
  EXPECT_EQ(sink.messages, std::vector<std::string>{"Done"});
  const std::string table("\0\0\0\x10\0\0\0\x64\0\0\0\x74\0\0\0\xC8", 16);
  EXPECT_TRUE(fs.Content("/d/out.bin") ==
              table + Pattern(100, 6) + Pattern(200, 7));
  EXPECT_EQ(fs.Content("/d/out.bin").size(), 316u);
  const auto& calls = fs.calls();
  EXPECT_NE(std::find(calls.begin(), calls.end(),
                      "rename /d/.out.bin.tmp-1 -> /d/out.bin"),
            calls.end());
}

}  // namespace
}  // namespace mirlot
