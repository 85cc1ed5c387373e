// The copier over the stream and the pipeline: blocks, progress, cancel and
// write failures. What the stream itself refuses (a member that vanished or
// shrank) is covered by the stream's own tests.
#include "packing/payload_copier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "runtime/fake_file_system.h"
#include "support/packing_fixtures.h"

namespace mirlot {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

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
  // Adds a member whose payload is `payload_size` bytes.
  void AddMember(const std::string& path, std::size_t payload_size) {
    const std::string bytes = MemberBytes(payload_size + 54, path);
    fs.AddFile(path, bytes);
    expected_image += bytes.substr(50, payload_size);
    table.push_back({.name = path, .member_size = bytes.size()});
  }

  Status Run() {
    Result<std::unique_ptr<WritableFile>> image = fs.CreateNew("/d/image");
    EXPECT_TRUE(image.ok());
    return CopyPayloads(fs, "/", table, *PlanContainer(table), **image,
                        observer);
  }

  FakeFileSystem fs;
  EntryTable table;
  std::string expected_image;
  RecordingObserver observer;
};

TEST(PayloadCopierTest, CopiesPayloadsBackToBackInBlocksOfOneMiB) {
  Copy copy;
  copy.AddMember("/d/big", 3 * kMiB / 2);
  copy.AddMember("/d/empty", 0);
  copy.AddMember("/d/small", 3);
  copy.AddMember("/d/rest", kMiB - 3);
  ASSERT_TRUE(copy.Run().ok());
  EXPECT_TRUE(copy.fs.Content("/d/image") == copy.expected_image);
  EXPECT_EQ(std::count(copy.fs.calls().begin(), copy.fs.calls().end(),
                       "append /d/image"),
            3);
  using Progress = std::vector<std::pair<std::uint64_t, std::uint64_t>>;
  EXPECT_EQ(
      copy.observer.progress,
      (Progress{{1048576, 2621440}, {2097152, 2621440}, {2621440, 2621440}}));
  EXPECT_EQ(copy.observer.polls, 3);
}

TEST(PayloadCopierTest, CancelAndWriteFailuresStopTheCopy) {
  struct Case {
    const char* name;
    std::function<void(Copy&)> spoil;
    int failure;
    std::uint64_t image_size;  // what was appended before the failure
  };
  const std::vector<Case> cases = {
      {"cancelled before the first block",
       [](Copy& c) { c.observer.cancel_at_poll = 1; }, 18, 0},
      {"cancelled before the second block",
       [](Copy& c) { c.observer.cancel_at_poll = 2; }, 18, kMiB},
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
    copy.AddMember("/d/a", kMiB + 10);
    copy.AddMember("/d/b", 2 * kMiB);
    copy.AddMember("/d/c", kMiB);
    c.spoil(copy);
    EXPECT_EQ(copy.Run().number(), c.failure);
    EXPECT_EQ(copy.fs.Content("/d/image").size(), c.image_size);
    // The reading thread has ended: nothing touches the files any more.
    const std::size_t calls = copy.fs.calls().size();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(copy.fs.calls().size(), calls);
  }
}

}  // namespace
}  // namespace mirlot
