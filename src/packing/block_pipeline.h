// Overlaps producing a byte stream with consuming it: helper threads fill
// rings of fixed-size blocks while the calling thread drains them in order.
// The stream is made of runs that the producers take in turn, so that two
// of them read different members at once.
#ifndef MIRLOT_PACKING_BLOCK_PIPELINE_H_
#define MIRLOT_PACKING_BLOCK_PIPELINE_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/result.h"
#include "runtime/status.h"

namespace mirlot {

class BlockPipeline {
 public:
  // What a producer placed in a block.
  struct Filled {
    std::size_t size = 0;
    bool run_ends = false;     // the block is the last of one of its runs
    bool stream_ends = false;  // nothing placed, and nothing more to come
  };
  // Fills a block with the producer's next bytes. Returns what it placed,
  // or a failure that ends its part of the stream.
  using Producer = std::function<Result<Filled>(std::span<char> block)>;
  // Takes the next bytes of the stream. Returns a failure to stop it.
  using Consumer = std::function<Status(std::string_view bytes)>;

  // A ring of `blocks_each` (at least 1) blocks of `block_size` (at least 1)
  // bytes for each of `producer_count` (at least 1) producers: a producer is
  // never more than its ring ahead of the consumer.
  BlockPipeline(std::size_t producer_count, std::size_t blocks_each,
                std::size_t block_size);
  BlockPipeline(const BlockPipeline&) = delete;
  BlockPipeline& operator=(const BlockPipeline&) = delete;

  // Calls each of `producers` (as many as the pipeline was made for) on a
  // helper thread of its own, and hands the blocks they filled to `consume`
  // on the calling thread in stream order: the first run from the first
  // producer, the next run from the next one, and round again. Each
  // producer ends each of its runs with a block marked run_ends, and its
  // part with stream_ends; the stream ends where the producer whose turn it
  // is has no run left. Call once.
  // On success every produced run was consumed. On failure returns the
  // first failure in stream order: a producer failure only after every
  // block before it was consumed (failed_producer() then tells whose), a
  // consumer failure at once, and then the producers are asked to stop
  // after their current block; 7 "Out of memory" when a helper thread
  // cannot start or either side runs out of memory (std::bad_alloc).
  // Either way every helper thread has ended when Run returns.
  Status Run(std::span<const Producer> producers, const Consumer& consume);

  // After Run: the index of the producer whose failure it returned.
  std::optional<std::size_t> failed_producer() const { return failed_; }

 private:
  struct Block {
    // Left uninitialised: pages are only touched when a block is first used.
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
    bool run_ends = false;
  };
  // One producer's blocks and where it stands; guarded by mutex_ but for
  // the bytes of blocks, which only one side touches at a time.
  struct Lane {
    std::vector<Block> ring;
    std::uint64_t produced = 0;
    std::uint64_t consumed = 0;
    bool finished = false;
    Status failure;
  };

  void ProduceAll(Lane& lane, const Producer& produce);
  Status ConsumeAll(const Consumer& consume);
  void StopProducers();

  std::size_t block_size_;
  std::vector<Lane> lanes_;
  std::mutex mutex_;
  std::condition_variable changed_;
  bool stop_requested_ = false;  // guarded by mutex_
  std::optional<std::size_t> failed_;
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_BLOCK_PIPELINE_H_
