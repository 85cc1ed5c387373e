// The copier's own part: blocks of up to 1 MiB, progress as it starts and
// after each block, and a cancel poll before each. Gathering members into
// runs, write and member failures belong to the stream's and the pipeline's
// tests.
#include "packing/payload_copier.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "packing/list_names.h"
#include "runtime/fake_file_system.h"
#include "support/packing_fixtures.h"

namespace mirlot {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

// What the copier reported: "files done/all:KiB done/all " each time. It
// cancels at poll `cancel_at_poll`, never at 0.
struct RecordingObserver : RunObserver {
  void OnProgress(const CopyProgress& p) override {
    seen += std::to_string(p.files_done) + "/" + std::to_string(p.files_total) +
            ":" + std::to_string(p.bytes_done >> 10) + "/" +
            std::to_string(p.bytes_total >> 10) + " ";
  }
  bool CancelRequested() override { return ++polls == cancel_at_poll; }
  int polls = 0, cancel_at_poll = 0;
  std::string seen;
};

// Payloads of 1.5 MiB, none and 1 MiB: a run of two blocks read on one
// thread, then a run of one on the other. The image holds what the progress
// reached, one append for each report after the first.
TEST(PayloadCopierTest, CopiesPayloadsBackToBackInBlocksOfOneMiB) {
  const struct {
    int cancel_at_poll, failure;
    std::string seen;
    std::uint64_t copied;
  } cases[] = {
      // clang-format off
      {0, 0, "0/3:0/2560 0/3:1024/2560 2/3:1536/2560 3/3:2560/2560 ", 5 * kMiB / 2},
      // clang-format on
      {2, 18, "0/3:0/2560 0/3:1024/2560 ", kMiB},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.cancel_at_poll);
    FakeFileSystem fs;
    const std::string a = MemberBytes(3 * kMiB / 2 + 54, "A"),
                      c3 = MemberBytes(kMiB + 54, "C");
    fs.AddFile("/d/a", a);
    fs.AddFile("/d/b", MemberBytes(54));
    fs.AddFile("/d/c", c3);
    fs.AddFile("/d/list", "a\nb\nc\n");
    const EntryTable table{{a.size(), NameKey("a"), {}},
                           {54, NameKey("b"), {}},
                           {c3.size(), NameKey("c"), {}}};
    auto folder = fs.OpenFolder("/d");
    auto image = (*folder)->CreateTemporary("image");
    const std::string path = "/d/" + (*image)->name();
    RecordingObserver observer;
    observer.cancel_at_poll = c.cancel_at_poll;
    EXPECT_EQ(CopyPayloads(fs, "/d", **fs.OpenForRead("/d/list"), table,
                           *PlanContainer(table), **image, "image", observer)
                  .failure.number(),
              c.failure);
    EXPECT_EQ(observer.seen, c.seen);
    const std::string payloads =
        a.substr(50, a.size() - 54) + c3.substr(50, c3.size() - 54);
    EXPECT_TRUE(fs.Content(path) == payloads.substr(0, c.copied));
    EXPECT_EQ(std::ranges::count(fs.calls(), "append " + path),
              std::ranges::count(c.seen, ' ') - 1);
  }
}

}  // namespace
}  // namespace mirlot
