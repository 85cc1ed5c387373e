#include "packing/payload_copier.h"

#include <algorithm>
#include <vector>

namespace mirlot {

namespace {

constexpr std::size_t kCopyBlockSize = 1024 * 1024;

class Copier {
 public:
  Copier(FileSystem& file_system, WritableFile& image, RunObserver& observer,
         std::uint64_t total)
      : file_system_(file_system),
        image_(image),
        observer_(observer),
        total_(total),
        block_(kCopyBlockSize) {}

  Status CopyMember(const ListEntry& entry, std::uint64_t length) {
    Result<std::unique_ptr<ReadableFile>> member =
        file_system_.OpenForRead(entry.path);
    if (!member.ok()) return member.status();
    // A member cut short since the list stage measured it, even by its tail
    // alone, no longer has the payload the table announces.
    Result<std::uint64_t> size = (*member)->Size();
    if (!size.ok()) return size.status();
    if (*size < entry.member_size) {
      return Status(FailureCode::kInputPastEndOfFile);
    }
    std::uint64_t offset = kLeadingTrim;
    while (length > 0) {
      if (observer_.CancelRequested()) {
        return Status(FailureCode::kUserInterrupt);
      }
      const std::size_t want = static_cast<std::size_t>(
          std::min<std::uint64_t>(length, block_.size()));
      Result<std::size_t> got = (*member)->ReadAt(offset, block_.data(), want);
      if (!got.ok()) return got.status();
      if (*got == 0) return Status(FailureCode::kInputPastEndOfFile);
      if (Status s = image_.Append({block_.data(), *got}); !s.ok()) return s;
      offset += *got;
      length -= *got;
      done_ += *got;
      observer_.OnProgress(done_, total_);
    }
    return Status::Ok();
  }

 private:
  FileSystem& file_system_;
  WritableFile& image_;
  RunObserver& observer_;
  std::uint64_t total_;
  std::uint64_t done_ = 0;
  std::vector<char> block_;
};

}  // namespace

Status CopyPayloads(FileSystem& file_system, const EntryTable& table,
                    const ContainerLayout& layout, WritableFile& image,
                    RunObserver& observer) {
  Copier copier(file_system, image, observer, layout.payload_total());
  for (std::size_t k = 0; k < table.size(); ++k) {
    Status status = copier.CopyMember(table[k], layout.places[k].length);
    if (!status.ok()) return status;
  }
  return Status::Ok();
}

}  // namespace mirlot
