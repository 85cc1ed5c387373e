// The pipeline's order, its rings and its failures, with one producer and
// with two taking runs in turn.
#include "packing/block_pipeline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace mirlot {
namespace {

using std::chrono_literals::operator""ms;
using Filled = BlockPipeline::Filled;
using Script = std::vector<std::string>;

// Each producer's blocks, in its order: "ab" a block, "c|" one that ends a
// run, "|" an empty run, "!" a failure. The stream takes a run from each
// producer in turn and ends where the one whose turn it is has none left;
// the first failure in that order is returned, with whose it was. The
// consumer is slow, so that producers run ahead as far as their rings let
// them; one that refuses a block (the `refused`th) ends the run at once and
// stops the producers, else Run would wait for them forever.
TEST(BlockPipelineTest, TakesRunsInTurnAndStopsAtTheFirstFailure) {
  const struct {
    std::vector<Script> producers;
    std::size_t ring;
    std::string consumed;
    std::optional<std::size_t> failed = std::nullopt;
    std::size_t refused = 0;
  } cases[] = {
      {{{}}, 2, ""},  // an empty stream consumes nothing
      {{{"ab", "cd", "e"}}, 1, "ab,cd,e"},
      {{{"ab", "cd", "!"}}, 4, "ab,cd", 0},
      {{{"ab", "cd", "ef", "gh"}}, 2, "ab", std::nullopt, 2},
      {{{"ab", "c|", "|"}, {"de|", "fg", "h|", "i|"}}, 1, "ab,c,de,,fg,h"},
      {{{"ab|"}, {}}, 1, "ab"},
      {{{"ab|", "!"}, {"cd|", "ef|"}}, 1, "ab,cd", 0},
      {{{"ab|", "cd|"}, {"!"}}, 1, "ab", 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.consumed);
    std::size_t produced = 0, offered = 0, taken = 0;
    std::vector<BlockPipeline::Producer> producers;
    for (const Script& script : c.producers) {
      producers.push_back([&script, &produced, next = std::size_t{0}](
                              std::span<char> block) mutable -> Result<Filled> {
        ++produced;
        if (next == script.size()) return Filled{.stream_ends = true};
        std::string item = script[next++];
        if (item == "!") return FailureCode::kInputPastEndOfFile;
        const bool run_ends = item.ends_with('|');
        if (run_ends) item.pop_back();
        return Filled{.size = item.copy(block.data(), block.size()),
                      .run_ends = run_ends};
      });
    }
    BlockPipeline pipeline(producers.size(), c.ring, 4);
    std::string consumed;
    const Status status = pipeline.Run(producers, [&](std::string_view bytes) {
      std::this_thread::sleep_for(1ms);
      if (++offered == c.refused) return Status(FailureCode::kDiskFull);
      consumed += (taken++ == 0 ? "" : ",") + std::string(bytes);
      return Status::Ok();
    });
    EXPECT_EQ(consumed, c.consumed);
    EXPECT_EQ(status.number(), c.failed ? 62 : c.refused ? 61 : 0);
    EXPECT_EQ(pipeline.failed_producer(), c.failed);
    // Never more than the rings ahead of the blocks taken.
    EXPECT_LE(produced, taken + c.ring * producers.size());
  }
}

}  // namespace
}  // namespace mirlot
