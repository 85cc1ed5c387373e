// Payloads put in place a batch at a time.
#include "reading/entry_batch.h"

#include <string>
#include <utility>
#include <vector>

#include "reading/extract_summary.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

// Files held open at once, well below the usual limit of 1024 descriptors,
// and the bytes gathered before they are made durable together.
constexpr std::size_t kBatchFiles = 256;
constexpr std::uint64_t kBatchBytes = 128 * 1024 * 1024;

}  // namespace

EntryBatch::EntryBatch(Folder& folder, std::string folder_path, bool replace,
                       ExtractObserver& observer)
    : folder_(folder),
      folder_path_(std::move(folder_path)),
      replace_(replace),
      observer_(observer) {}

EntryBatch::~EntryBatch() {
  for (const Waiting& waiting : waiting_) {
    if (!waiting.temporary.empty()) (void)folder_.Remove(waiting.temporary);
  }
}

void EntryBatch::Add(std::uint64_t number, const TableEntry& entry,
                     std::string name, std::string temporary) {
  waiting_.push_back({number, entry, std::move(name), std::move(temporary)});
  ++files_;
  bytes_ += static_cast<std::uint64_t>(entry.length);
}

void EntryBatch::Skip(std::uint64_t number, const TableEntry& entry) {
  waiting_.push_back({number, entry, {}, {}});
}

bool EntryBatch::Full() const {
  return files_ >= kBatchFiles || bytes_ >= kBatchBytes;
}

Status EntryBatch::PutInPlace(ExtractSummary& summary) {
  Status status = folder_.SyncClosedFiles();
  if (!status.ok()) status = status.About(folder_path_);
  std::size_t placed = 0;
  while (status.ok() && placed < waiting_.size()) {
    status = Move(waiting_[placed]);
    if (status.ok()) ++placed;
  }
  if (placed > 0) {
    Status synced = folder_.SyncNames();
    if (status.ok() && !synced.ok()) status = synced.About(folder_path_);
  }
  for (std::size_t i = 0; i < placed; ++i) {
    const Waiting& done = waiting_[i];
    if (done.temporary.empty()) {
      observer_.OnSkipped(done.number, done.entry);
      ++summary.skipped;
    } else {
      observer_.OnWritten(done.number, ResolveIn(folder_path_, done.name),
                          static_cast<std::uint64_t>(done.entry.length));
      ++summary.written;
    }
  }
  waiting_.erase(waiting_.begin(),
                 waiting_.begin() + static_cast<std::ptrdiff_t>(placed));
  for (const Waiting& waiting : waiting_) {
    if (!waiting.temporary.empty()) (void)folder_.Remove(waiting.temporary);
  }
  waiting_.clear();
  files_ = 0;
  bytes_ = 0;
  return status;
}

Status EntryBatch::Move(const Waiting& waiting) {
  if (waiting.temporary.empty()) return Status::Ok();
  Status status;
  if (replace_) {
    const Replacement replacement[] = {{waiting.temporary, waiting.name}};
    Result<std::vector<std::string>> formers =
        folder_.ReplaceTogether(replacement);
    status = formers.status();
    if (formers.ok()) {
      for (const std::string& former : *formers) (void)folder_.Remove(former);
    }
  } else {
    status = folder_.MoveWithoutReplacing(waiting.temporary, waiting.name);
    if (status.Is(FailureCode::kPathFileAccessError)) {
      status = Status(status.number(), "exists already");
    }
  }
  return status.ok() ? status
                     : status.About(ResolveIn(folder_path_, waiting.name));
}

}  // namespace mirlot
