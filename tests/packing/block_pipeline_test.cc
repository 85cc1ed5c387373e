#include "packing/block_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace mirlot {
namespace {

using std::chrono_literals::operator""ms;

// The consumer is slow, so that a producer that fails at the end of the
// source (`fails`) gets there first: the blocks before still come.
TEST(BlockPipelineTest, DeliversEveryByteInOrderInFullBlocks) {
  const std::string source =
      "The quick brown fox jumps over the lazy dog; 0123456789, "
      "pack my box with five dozen liquor jugs!";
  const struct {
    std::size_t block_count, block_size, source_size;
    bool fails;
    std::vector<std::size_t> sizes;
  } cases[] = {{2, 8, 0, false, {}},  // an empty stream consumes nothing
               {1, 40, 97, false, {40, 40, 17}},
               {2, 32, 97, false, {32, 32, 32, 1}},
               {3, 1000, 97, false, {97}},
               {4, 2, 6, true, {2, 2, 2}}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.block_size);
    BlockPipeline pipeline(c.block_count, c.block_size);
    std::size_t position = 0;
    std::string received;
    std::vector<std::size_t> sizes;
    const Status status = pipeline.Run(
        [&](std::span<char> block) -> Result<std::size_t> {
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
          received += bytes;
          sizes.push_back(bytes.size());
          return Status::Ok();
        });
    EXPECT_EQ(status.number(), c.fails ? 62 : 0);
    EXPECT_EQ(received, source.substr(0, c.source_size));
    EXPECT_EQ(sizes, c.sizes);
  }
}

// The producer never runs more than the ring ahead of the consumer, and a
// consumer failure stops it: else Run would wait for it forever.
TEST(BlockPipelineTest, ConsumerFailureStopsTheProducerBeforeRunReturns) {
  BlockPipeline pipeline(2, 4);
  std::atomic<int> produce_calls = 0;
  int consumed = 0;
  const Status status = pipeline.Run(
      [&](std::span<char>) -> Result<std::size_t> {
        ++produce_calls;
        return std::size_t{4};
      },
      [&](std::string_view) {
        return ++consumed == 3 ? Status(FailureCode::kDiskFull) : Status::Ok();
      });
  EXPECT_EQ(status.number(), 61);
  // The third block failed; with two blocks in the ring the producer can
  // have got to the fourth, no further.
  EXPECT_LE(produce_calls.load(), 4);
}

}  // namespace
}  // namespace mirlot
