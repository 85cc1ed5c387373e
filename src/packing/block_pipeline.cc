// The helper thread that fills blocks and the ring of blocks between it and the
// writing thread.
#include "packing/block_pipeline.h"

#include <optional>
#include <thread>

#include "runtime/out_of_memory.h"
#include "runtime/thread_start.h"

namespace mirlot {

BlockPipeline::BlockPipeline(std::size_t block_count, std::size_t block_size)
    : block_size_(block_size), ring_(block_count) {
  for (Block& block : ring_) {
    block.bytes = std::make_unique_for_overwrite<char[]>(block_size);
  }
}

Status BlockPipeline::Run(const Producer& produce, const Consumer& consume) {
  std::optional<std::thread> helper =
      StartThread([this, &produce] { ProduceAll(produce); });
  if (!helper) return Status(FailureCode::kOutOfMemory);
  const Status status =
      OutOfMemoryAsFailure([&] { return ConsumeAll(consume); });
  {
    std::lock_guard lock(mutex_);
    stop_requested_ = true;
  }
  changed_.notify_all();
  helper->join();
  return status;
}

void BlockPipeline::ProduceAll(const Producer& produce) {
  for (std::uint64_t index = 0;; ++index) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [&] {
        return stop_requested_ || produced_ - consumed_ < ring_.size();
      });
      if (stop_requested_) return;
    }
    Block& block = ring_[index % ring_.size()];
    // Nothing may leave the helper thread but a value.
    Result<std::size_t> placed = OutOfMemoryAsFailure([&] {
      return produce({block.bytes.get(), block_size_});
    });
    {
      std::lock_guard lock(mutex_);
      if (!placed.ok()) {
        producer_failure_ = placed.status();
        producer_finished_ = true;
      } else if (*placed == 0) {
        producer_finished_ = true;
      } else {
        block.size = *placed;
        ++produced_;
      }
    }
    changed_.notify_all();
    if (!placed.ok() || *placed == 0) return;
  }
}

Status BlockPipeline::ConsumeAll(const Consumer& consume) {
  for (std::uint64_t index = 0;; ++index) {
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock,
                    [&] { return produced_ > index || producer_finished_; });
      if (produced_ == index) return producer_failure_;
    }
    const Block& block = ring_[index % ring_.size()];
    if (Status s = consume({block.bytes.get(), block.size}); !s.ok()) return s;
    {
      std::lock_guard lock(mutex_);
      ++consumed_;
    }
    changed_.notify_all();
  }
}

}  // namespace mirlot
