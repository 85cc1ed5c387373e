// Overlaps producing a byte stream with consuming it: a helper thread fills
// a ring of fixed-size blocks while the calling thread drains them in order.
#ifndef MIRLOT_PACKING_BLOCK_PIPELINE_H_
#define MIRLOT_PACKING_BLOCK_PIPELINE_H_

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/result.h"
#include "runtime/status.h"

namespace mirlot {

class BlockPipeline {
 public:
  // Fills a block with the stream's next bytes. Returns how many it placed,
  // 0 at the end of the stream, or a failure that ends the stream.
  using Producer = std::function<Result<std::size_t>(std::span<char> block)>;
  // Takes the next bytes of the stream. Returns a failure to stop it.
  using Consumer = std::function<Status(std::string_view bytes)>;

  // A ring of `block_count` (at least 1) blocks of `block_size` (at least 1)
  // bytes: the producer is never more than `block_count` blocks ahead.
  BlockPipeline(std::size_t block_count, std::size_t block_size);
  BlockPipeline(const BlockPipeline&) = delete;
  BlockPipeline& operator=(const BlockPipeline&) = delete;

  // Calls `produce` on a helper thread until it returns 0 or a failure, and
  // hands every block it filled to `consume` on the calling thread, in
  // order. Call once.
  // On success every produced byte was consumed. On failure returns the
  // first failure in stream order: a producer failure only after every block
  // produced before it was consumed, a consumer failure at once, and then
  // the producer is asked to stop after its current block; 7 "Out of
  // memory" when the helper thread cannot start or either side runs out of
  // memory (std::bad_alloc). Either way the helper thread has ended when Run
  // returns.
  Status Run(const Producer& produce, const Consumer& consume);

 private:
  struct Block {
    // Left uninitialised: pages are only touched when a block is first used.
    std::unique_ptr<char[]> bytes;
    std::size_t size = 0;
  };

  void ProduceAll(const Producer& produce);
  Status ConsumeAll(const Consumer& consume);

  std::size_t block_size_;
  std::vector<Block> ring_;
  std::mutex mutex_;
  std::condition_variable changed_;
  // Guarded by mutex_.
  std::uint64_t produced_ = 0;
  std::uint64_t consumed_ = 0;
  bool producer_finished_ = false;
  Status producer_failure_;
  bool stop_requested_ = false;
};

}  // namespace mirlot

#endif  // MIRLOT_PACKING_BLOCK_PIPELINE_H_
