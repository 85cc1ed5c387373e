#include "packing/block_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace mirlot {
namespace {

using std::chrono_literals::operator""ms;

// The consumer is slow, so that the producer runs ahead of it as far as the
// ring lets it, and a producer that fails at the end of the source (`fails`)
// gets there first: the blocks before still come. A consumer failure (at
// block `refused`) ends the run at once and stops the producer: else Run
// would wait for it forever.
TEST(BlockPipelineTest, DeliversEveryByteInOrderInFullBlocks) {
  const std::string source =
      "The quick brown fox jumps over the lazy dog; 0123456789, "
      "pack my box with five dozen liquor jugs!";
  const struct {
    std::size_t block_count, block_size, source_size;
    bool fails;
    std::vector<std::size_t> sizes;
    std::size_t refused = 0;
  } cases[] = {{2, 8, 0, false, {}},  // an empty stream consumes nothing
               {1, 40, 97, false, {40, 40, 17}},
               {2, 32, 97, false, {32, 32, 32, 1}},
               {3, 1000, 97, false, {97}},
               {4, 2, 6, true, {2, 2, 2}},
               {2, 4, 97, false, {4, 4}, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.block_size);
    BlockPipeline pipeline(c.block_count, c.block_size);
    std::size_t position = 0, produced = 0;
    std::string received;
    std::vector<std::size_t> sizes;
    const Status status = pipeline.Run(
        [&](std::span<char> block) -> Result<std::size_t> {
          ++produced;
          if (c.fails && position == c.source_size) {
            return FailureCode::kInputPastEndOfFile;
          }
          const std::size_t n = source.copy(
              block.data(), std::min(block.size(), c.source_size - position),
              position);
          position += n;
          return n;
        },
        [&](std::string_view bytes) {
          std::this_thread::sleep_for(1ms);
          if (sizes.size() + 1 == c.refused)
            return Status(FailureCode::kDiskFull);
          received += bytes;
          sizes.push_back(bytes.size());
          return Status::Ok();
        });
    EXPECT_EQ(status.number(), c.fails ? 62 : c.refused ? 61 : 0);
    EXPECT_EQ(received,
              source.substr(0, c.refused ? received.size() : c.source_size));
    EXPECT_EQ(sizes, c.sizes);
    // Never more than the ring ahead of the blocks consumed.
    EXPECT_LE(produced, sizes.size() + c.block_count);
  }
}

}  // namespace
}  // namespace mirlot
