// Copies the members' payloads into the image in large blocks, reporting
// progress and heeding cancel.
#include "packing/payload_copier.h"

#include "packing/block_pipeline.h"
#include "packing/payload_stream.h"

namespace mirlot {

namespace {

// Reading may run up to four 1 MiB blocks ahead of writing: enough to keep
// both threads busy (two blocks, or eight of 256 KiB, measured the same), and
// memory stays the same whatever the member sizes.
constexpr std::size_t kCopyBlockCount = 4;
constexpr std::size_t kCopyBlockSize = 1024 * 1024;

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

}  // namespace

CopyResult CopyPayloads(FileSystem& file_system, const std::string& folder,
                        ReadableFile& list, const EntryTable& table,
                        const ContainerLayout& layout, WritableFile& image,
                        std::string_view image_name, RunObserver& observer) {
  PayloadStream stream(file_system, folder, list, table, layout);
  CopyProgress progress{.files_total = table.size(),
                        .bytes_total = layout.payload_total()};
  CountFilesDone(layout, progress);
  observer.OnProgress(progress);
  BlockPipeline pipeline(kCopyBlockCount, kCopyBlockSize);
  bool writing_failed = false;
  const Status status = pipeline.Run(
      [&stream](std::span<char> block) { return stream.Fill(block); },
      [&](std::string_view bytes) {
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
  // Memory, or the helper thread, is no member's but the copy's.
  if (status.ok() || writing_failed || status.Is(FailureCode::kOutOfMemory)) {
    return {Explained(status, OutputOperation("writing", image_name, folder)),
            std::nullopt};
  }
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
