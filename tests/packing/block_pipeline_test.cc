#include "packing/block_pipeline.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace mirlot {
namespace {

using std::chrono_literals::operator""ms;

// A producer that hands out `source` piece by piece, as much as fits.
class SourceProducer {
 public:
  explicit SourceProducer(std::string source) : source_(std::move(source)) {}

  Result<std::size_t> operator()(std::span<char> block) {
    const std::size_t count =
        std::min(block.size(), source_.size() - position_);
    std::memcpy(block.data(), source_.data() + position_, count);
    position_ += count;
    return count;
  }

 private:
  std::string source_;
  std::size_t position_ = 0;
};

TEST(BlockPipelineTest, DeliversEveryByteInOrderInFullBlocks) {
  const std::string source =
      "The quick brown fox jumps over the lazy dog; 0123456789, "
      "pack my box with five dozen liquor jugs!";
  ASSERT_EQ(source.size(), 97u);
  struct Case {
    std::size_t block_count;
    std::size_t block_size;
    std::vector<std::size_t> sizes;
    std::size_t source_size = 97;
  };
  const std::vector<Case> cases = {
      {2, 8, {}, 0},  // an empty stream consumes nothing
      {1, 40, {40, 40, 17}}, {2, 32, {32, 32, 32, 1}},
      {4, 97, {97}},         {3, 1000, {97}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.block_size);
    BlockPipeline pipeline(c.block_count, c.block_size);
    SourceProducer producer(source.substr(0, c.source_size));
    std::string received;
    std::vector<std::size_t> sizes;
    const Status status = pipeline.Run(producer, [&](std::string_view bytes) {
      received += bytes;
      sizes.push_back(bytes.size());
      return Status::Ok();
    });
    EXPECT_TRUE(status.ok());
    EXPECT_EQ(received, source.substr(0, c.source_size));
    EXPECT_EQ(sizes, c.sizes);
  }
}

TEST(BlockPipelineTest, ProducerFailureComesAfterTheBlocksBeforeIt) {
  BlockPipeline pipeline(4, 2);
  int produced = 0;
  std::string received;
  const Status status = pipeline.Run(
      [&](std::span<char> block) -> Result<std::size_t> {
        if (produced == 3) return FailureCode::kInputPastEndOfFile;
        block[0] = block[1] = static_cast<char>('a' + produced++);
        return std::size_t{2};
      },
      [&](std::string_view bytes) {
        std::this_thread::sleep_for(1ms);  // lets the producer fail first
        received += bytes;
        return Status::Ok();
      });
  EXPECT_EQ(status.number(), 62);
  EXPECT_EQ(received, "aabbcc");
}

TEST(BlockPipelineTest, ProducerStaysWithinTheRing) {
  constexpr std::size_t kBlockCount = 3;
  BlockPipeline pipeline(kBlockCount, 1);
  std::atomic<int> consumed = 0;
  int produced = 0;
  int furthest_ahead = 0;
  const Status status = pipeline.Run(
      [&](std::span<char> block) -> Result<std::size_t> {
        if (produced == 40) return std::size_t{0};
        furthest_ahead = std::max(furthest_ahead, produced - consumed.load());
        block[0] = 'x';
        ++produced;
        return std::size_t{1};
      },
      [&](std::string_view) {
        std::this_thread::sleep_for(1ms);  // a slow disk
        ++consumed;
        return Status::Ok();
      });
  EXPECT_TRUE(status.ok());
  EXPECT_EQ(consumed.load(), 40);
  // Filled but not yet consumed when the producer starts on another block.
  EXPECT_LE(furthest_ahead, static_cast<int>(kBlockCount) - 1);
  EXPECT_GE(furthest_ahead, 1);  // it did read ahead
}

TEST(BlockPipelineTest, ConsumerFailureStopsTheProducerBeforeRunReturns) {
  BlockPipeline pipeline(2, 4);
  std::atomic<int> produce_calls = 0;
  std::atomic<bool> producing = false;
  int consumed = 0;
  const Status status = pipeline.Run(
      [&](std::span<char>) -> Result<std::size_t> {
        producing = true;
        ++produce_calls;
        std::this_thread::sleep_for(2ms);  // a slow read, never ending
        producing = false;
        return std::size_t{4};
      },
      [&](std::string_view) {
        return ++consumed == 3 ? Status(FailureCode::kDiskFull) : Status::Ok();
      });
  EXPECT_EQ(status.number(), 61);
  EXPECT_FALSE(producing.load());
  // The third block failed; with two blocks in the ring the producer can
  // have got to the fourth, no further.
  const int calls = produce_calls.load();
  EXPECT_LE(calls, 4);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(produce_calls.load(), calls);
}

}  // namespace
}  // namespace mirlot
