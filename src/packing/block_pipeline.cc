// The helper threads that fill blocks and the rings of blocks between them
// and the writing thread.
#include "packing/block_pipeline.h"

#include <thread>

#include "runtime/out_of_memory.h"
#include "runtime/thread_start.h"

namespace mirlot {

BlockPipeline::BlockPipeline(std::size_t producer_count,
                             std::size_t blocks_each, std::size_t block_size)
    : block_size_(block_size), lanes_(producer_count) {
  for (Lane& lane : lanes_) {
    lane.ring.resize(blocks_each);
    for (Block& block : lane.ring) {
      block.bytes = std::make_unique_for_overwrite<char[]>(block_size);
    }
  }
}

Status BlockPipeline::Run(std::span<const Producer> producers,
                          const Consumer& consume) {
  std::vector<std::thread> helpers;
  helpers.reserve(lanes_.size());
  Status status;
  for (std::size_t i = 0; i < lanes_.size(); ++i) {
    std::optional<std::thread> helper = StartThread(
        [this, i, &producers] { ProduceAll(lanes_[i], producers[i]); });
    if (!helper) {
      status = Status(FailureCode::kOutOfMemory);
      break;
    }
    helpers.push_back(std::move(*helper));
  }
  if (status.ok()) {
    status = OutOfMemoryAsFailure([&] { return ConsumeAll(consume); });
  }
  StopProducers();
  for (std::thread& helper : helpers) helper.join();
  return status;
}

void BlockPipeline::StopProducers() {
  {
    std::lock_guard lock(mutex_);
    stop_requested_ = true;
  }
  changed_.notify_all();
}

void BlockPipeline::ProduceAll(Lane& lane, const Producer& produce) {
  for (std::uint64_t index = 0;; ++index) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] {
        return stop_requested_ ||
               lane.produced - lane.consumed < lane.ring.size();
      });
      if (stop_requested_) return;
    }
    Block& block = lane.ring[index % lane.ring.size()];
    // Nothing may leave the helper thread but a value.
    Result<Filled> filled = OutOfMemoryAsFailure([&] {
      return produce({block.bytes.get(), block_size_});
    });
    const bool last = !filled.ok() || filled->stream_ends;
    {
      std::lock_guard lock(mutex_);
      if (!filled.ok()) lane.failure = filled.status();
      if (last) {
        lane.finished = true;
      } else {
        block.size = filled->size;
        block.run_ends = filled->run_ends;
        ++lane.produced;
      }
    }
    changed_.notify_all();
    if (last) return;
  }
}

Status BlockPipeline::ConsumeAll(const Consumer& consume) {
  for (std::size_t turn = 0;;) {
    Lane& lane = lanes_[turn];
    {
      std::unique_lock lock(mutex_);
      changed_.wait(
          lock, [&] { return lane.produced > lane.consumed || lane.finished; });
      if (lane.produced == lane.consumed) {
        if (!lane.failure.ok()) failed_ = turn;
        return lane.failure;
      }
    }
    const Block& block = lane.ring[lane.consumed % lane.ring.size()];
    if (Status s = consume({block.bytes.get(), block.size}); !s.ok()) return s;
    const bool run_ends = block.run_ends;
    {
      std::lock_guard lock(mutex_);
      ++lane.consumed;
    }
    changed_.notify_all();
    if (run_ends) turn = (turn + 1) % lanes_.size();
  }
}

}  // namespace mirlot
