// The copier's own part: 1 MiB blocks, progress after each and a cancel
// poll before each. Gathering members into blocks, write and member
// failures belong to the stream's and the pipeline's tests.
#include "packing/payload_copier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "runtime/fake_file_system.h"
#include "support/packing_fixtures.h"

namespace mirlot {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;
constexpr std::uint64_t kPayloads = 5 * kMiB / 2;

class RecordingObserver : public RunObserver {
 public:
  void OnProgress(std::uint64_t done, std::uint64_t total) override {
    progress.push_back(total == kPayloads ? done : 0);
  }
  bool CancelRequested() override { return ++polls == cancel_at_poll; }
  std::vector<std::uint64_t> progress;  // bytes done; 0 for a wrong total
  int polls = 0;
  int cancel_at_poll = 0;  // 0: never
};

// The image holds what the progress reached, one append for each report.
TEST(PayloadCopierTest, CopiesPayloadsBackToBackInBlocksOfOneMiB) {
  const struct {
    int cancel_at_poll, failure;
    std::vector<std::uint64_t> progress;
  } cases[] = {
      {0, 0, {kMiB, 2 * kMiB, kPayloads}},
      {1, 18, {}},  // cancelled before the first block
      {2, 18, {kMiB}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cancel_at_poll);
    FakeFileSystem fs;
    const std::string member = MemberBytes(kPayloads + 54);
    fs.AddFile("/d/member", member);
    const EntryTable table{{.name = "/d/member", .member_size = member.size()}};
    auto folder = fs.OpenFolder("/d");
    auto image = (*folder)->CreateTemporary("image");
    const std::string path = "/d/" + (*image)->name();
    RecordingObserver observer;
    observer.cancel_at_poll = c.cancel_at_poll;
    EXPECT_EQ(
        CopyPayloads(fs, "/", table, *PlanContainer(table), **image, observer)
            .number(),
        c.failure);
    EXPECT_EQ(observer.progress, c.progress);
    EXPECT_TRUE(fs.Content(path) ==
                member.substr(50, c.progress.empty() ? 0 : c.progress.back()));
    EXPECT_EQ(
        std::count(fs.calls().begin(), fs.calls().end(), "append " + path),
        static_cast<long>(c.progress.size()));
  }
}

}  // namespace
}  // namespace mirlot
