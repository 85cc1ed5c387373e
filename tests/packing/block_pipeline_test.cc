// The pipeline's order, its blocks and its failures, with one producer and
// with two taking runs in turn.
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
using Filled = BlockPipeline::Filled;

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
    BlockPipeline pipeline(1, c.block_count, c.block_size);
    std::size_t position = 0, produced = 0;
    std::string received;
    std::vector<std::size_t> sizes;
    const BlockPipeline::Producer producer[] = {
        [&](std::span<char> block) -> Result<Filled> {
          ++produced;
          if (c.fails && position == c.source_size) {
            return FailureCode::kInputPastEndOfFile;
          }
          const std::size_t n = source.copy(
              block.data(), std::min(block.size(), c.source_size - position),
              position);
          position += n;
          return Filled{.size = n, .stream_ends = n == 0};
        }};
    const Status status = pipeline.Run(producer, [&](std::string_view bytes) {
      std::this_thread::sleep_for(1ms);
      if (sizes.size() + 1 == c.refused) return Status(FailureCode::kDiskFull);
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

// Each producer's blocks, in its order: "ab" a block, "c|" one that ends a
// run, "|" an empty run, "!" a failure. The stream takes a run from each in
// turn and ends where the producer whose turn it is has none left; the
// first failure in that order is the one returned, with whose it was.
TEST(BlockPipelineTest, TwoProducersTakeRunsInTurn) {
  using Script = std::vector<std::string>;
  const struct {
    Script first, second;
    std::string consumed;
    std::optional<std::size_t> failed = std::nullopt;
  } cases[] = {
      {{"ab", "c|", "|"}, {"de|", "fg", "h|", "i|"}, "ab,c,de,,fg,h"},
      {{"ab|"}, {}, "ab"},
      {{"ab|", "!"}, {"cd|", "ef|"}, "ab,cd", 0},
      {{"ab|", "cd|"}, {"!"}, "ab", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.consumed);
    const auto producer = [](const Script& script) {
      return [&script, next = std::size_t{0}](
                 std::span<char> block) mutable -> Result<Filled> {
        if (next == script.size()) return Filled{.stream_ends = true};
        std::string item = script[next++];
        if (item == "!") return FailureCode::kInputPastEndOfFile;
        const bool run_ends = item.ends_with('|');
        if (run_ends) item.pop_back();
        return Filled{.size = item.copy(block.data(), block.size()),
                      .run_ends = run_ends};
      };
    };
    const BlockPipeline::Producer producers[] = {producer(c.first),
                                                 producer(c.second)};
    BlockPipeline pipeline(2, 1, 4);
    std::string consumed;
    const Status status = pipeline.Run(producers, [&](std::string_view bytes) {
      consumed += (consumed.empty() ? "" : ",") + std::string(bytes);
      return Status::Ok();
    });
    EXPECT_EQ(consumed, c.consumed);
    EXPECT_EQ(status.number(), c.failed ? 62 : 0);
    EXPECT_EQ(pipeline.failed_producer(), c.failed);
  }
}

}  // namespace
}  // namespace mirlot
