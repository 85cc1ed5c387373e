// Copies the members' payloads into the image in large blocks, reporting
// progress and heeding cancel.
#include "packing/payload_copier.h"

#include <memory>
#include <vector>

#include "packing/block_pipeline.h"
#include "packing/payload_stream.h"

namespace mirlot {

namespace {

// Reading may run up to four 1 MiB blocks ahead of writing: enough to keep
// the threads busy (two blocks, or eight of 256 KiB, measured the same), and
// memory stays the same whatever the member sizes. Two readers take the runs
// of members in turn: opening and reading many small members is work for
// the processor more than for the disk, and a second core shares it.
constexpr std::size_t kCopyBlockCount = 4;
constexpr std::size_t kCopyBlockSize = 1024 * 1024;
constexpr std::size_t kCopyReaders = 2;
// A run holds at most 64 members, so that small members that would all fit
// one block are still shared out between the readers (16 to 256 measured
// alike; a whole block per run left a thousand small members to one).
constexpr std::size_t kCopyRunMembers = 64;

// Moves `progress.files_done` past the members whose whole payload lies
// within the bytes done.
void CountFilesDone(const ContainerLayout& layout, CopyProgress& progress) {
  while (progress.files_done < layout.places.size()) {
    const TableEntry& next = layout.places[progress.files_done];
    const auto end = static_cast<std::uint64_t>(next.end());
    if (end - layout.table_size > progress.bytes_done) return;
    ++progress.files_done;
  }
}

// The runs the copy takes. Members of a block or more on average are one
// run, read as one stream: a second reader gains nothing there, and blocks
// cut short where runs end made ten members of 150 MiB about 7% slower to
// pack.
std::vector<std::size_t> RunsOf(const ContainerLayout& layout) {
  const std::size_t count = layout.places.size();
  if (count > 0 && layout.payload_total() / count >= kCopyBlockSize) {
    return {0};
  }
  return CopyRuns(layout, kCopyBlockSize, kCopyRunMembers);
}

}  // namespace

CopyResult CopyPayloads(FileSystem& file_system, const std::string& folder,
                        ReadableFile& list, const EntryTable& table,
                        const ContainerLayout& layout, WritableFile& image,
                        std::string_view image_name, RunObserver& observer) {
  const std::vector<std::size_t> runs = RunsOf(layout);
  const std::size_t readers = runs.size() > 1 ? kCopyReaders : 1;
  std::vector<std::unique_ptr<PayloadStream>> streams;
  std::vector<BlockPipeline::Producer> producers;
  for (std::size_t lane = 0; lane < readers; ++lane) {
    streams.push_back(std::make_unique<PayloadStream>(
        file_system, folder, list, table, layout, runs, lane, readers));
    producers.push_back([&stream = *streams.back()](std::span<char> block) {
      return stream.Fill(block);
    });
  }
  CopyProgress progress{.files_total = table.size(),
                        .bytes_total = layout.payload_total()};
  CountFilesDone(layout, progress);
  observer.OnProgress(progress);
  BlockPipeline pipeline(readers, kCopyBlockCount / readers, kCopyBlockSize);
  bool writing_failed = false;
  const Status status = pipeline.Run(producers, [&](std::string_view bytes) {
    if (observer.CancelRequested()) {
      return Status(FailureCode::kUserInterrupt);
    }
    if (Status s = image.Append(bytes); !s.ok()) {
      writing_failed = true;
      return s;
    }
    progress.bytes_done += bytes.size();
    CountFilesDone(layout, progress);
    observer.OnProgress(progress);
    return Status::Ok();
  });
  // Memory, or a helper thread, is no member's but the copy's.
  if (status.ok() || writing_failed || status.Is(FailureCode::kOutOfMemory)) {
    return {Explained(status, OutputOperation("writing", image_name, folder)),
            std::nullopt};
  }
  const PayloadStream& stream =
      *streams[pipeline.failed_producer().value_or(0)];
  const std::size_t k = stream.current_entry();
  const std::string& path = stream.current_path();
  const Status read =
      path.empty() ? NameRereadFailure(status, table[k].place)
                   : Explained(status, PlaceName(table[k].place) +
                                           ": reading " + ShownPath(path));
  if (read.detail().empty()) return {read, std::nullopt};  // cancelled
  return {read, path};
}

}  // namespace mirlot
