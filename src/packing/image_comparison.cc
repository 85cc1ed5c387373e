// The image read alongside the payloads of the list, and each entry's table
// bytes and payload held to what the list gives now.
#include "packing/image_comparison.h"

#include <algorithm>
#include <cstring>

#include "format/image_table.h"
#include "packing/failure_detail.h"
#include "runtime/number_text.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

constexpr std::size_t kImageBlockSize = 1024 * 1024;

std::string CountOf(std::uint64_t count, const char* one, const char* many) {
  return GroupedNumber(count) + " " + (count == 1 ? one : many);
}

// An offset read from the image may be negative.
std::string SignedNumber(std::int64_t value) {
  return value < 0 ? "-" + GroupedNumber(static_cast<std::uint64_t>(-value))
                   : GroupedNumber(static_cast<std::uint64_t>(value));
}

}  // namespace

std::string EntryText(const ListEntry& entry) {
  return PlaceName(entry.place) + ": ";
}

ImageComparison::ImageComparison(const EntryTable& table,
                                 const ContainerLayout& layout,
                                 ListNames& names, ReadableFile& image,
                                 std::string path, DifferenceSink& differences)
    : table_(table),
      layout_(layout),
      expected_table_(EncodeTable(layout.places)),
      names_(names),
      image_(image),
      path_(std::move(path)),
      differences_(differences) {}

Status ImageComparison::Start() {
  Result<std::uint64_t> size = image_.Size();
  if (!size.ok()) return ImageFailure(size.status());
  image_size_ = *size;
  const std::size_t listed = table_.size();
  image_table_.resize(
      std::min<std::uint64_t>(listed, WholeEntriesIn(image_size_)) *
      kTableEntrySize);
  BufferedReader head(image_, image_table_.size());
  Status read = head.ReadExactly(image_table_.data(), image_table_.size());
  if (!read.ok()) return ImageFailure(read);
  const TableEntry first = image_table_.empty()
                               ? TableEntry{}
                               : DecodeTableEntry(image_table_.data());
  const TableHead table = JudgeTableHead(first, image_size_);
  if (!table.sound()) {
    image_table_.clear();
    differences_.OnDifference(LastComponent(path_) +
                              " does not begin with a sound table");
  } else {
    image_count_ = table.count;
    image_table_.resize(std::min<std::uint64_t>(*image_count_, listed) *
                        kTableEntrySize);
    if (*image_count_ != listed) {
      differences_.OnDifference(LastComponent(path_) + " holds " +
                                CountOf(*image_count_, "entry", "entries") +
                                ", the list names " + GroupedNumber(listed));
    }
  }
  return StartEntry();
}

// Tells how the table entry of `entry_` differs, and whether its payload
// can be compared.
Status ImageComparison::StartEntry() {
  done_ = 0;
  reading_ = comparing_ = false;
  Result<std::string> name = names_.Next();
  if (!name.ok()) return name.status();
  name_ = std::move(*name);
  const std::size_t k = entry_;
  const ListEntry& entry = table_[k];
  if (k * kTableEntrySize >= image_table_.size()) {
    if (image_count_) {
      differences_.OnDifference(EntryText(entry) + name_ + " is not in " +
                                LastComponent(path_));
    }
    return Status::Ok();
  }
  const std::size_t at = k * kTableEntrySize;
  const TableEntry got = DecodeTableEntry(image_table_.data() + at);
  if (image_table_.compare(at, kTableEntrySize, expected_table_, at,
                           kTableEntrySize) != 0 &&
      !TellTableDifference(got)) {
    return Status::Ok();
  }
  if (!LiesInsideFile(got, image_size_)) {
    differences_.OnDifference(EntryText(entry) +
                              "its payload runs past the end of " +
                              LastComponent(path_));
    return Status::Ok();
  }
  reading_ = comparing_ = true;
  return SeekImage(static_cast<std::uint64_t>(got.offset));
}

// Tells how the image's table entry `got` for `entry_` differs from the one
// the list gives now. Returns whether its payload can still be compared.
bool ImageComparison::TellTableDifference(const TableEntry& got) {
  const std::size_t k = entry_;
  const ListEntry& entry = table_[k];
  const TableEntry& want = layout_.places[k];
  if (got.length != want.length) {
    const bool grown = want.length > got.length;
    differences_.OnDifference(
        EntryText(entry) + name_ +
        (grown ? " has grown by " : " has shrunk by ") +
        CountOf(static_cast<std::uint64_t>(grown ? want.length - got.length
                                                 : got.length - want.length),
                "byte", "bytes"));
    return false;
  }
  // Where the payload starts when the image's own table is followed.
  const std::int64_t start =
      k == 0 ? static_cast<std::int64_t>(*image_count_ * kTableEntrySize)
             : DecodeTableEntry(image_table_.data() + (k - 1) * kTableEntrySize)
                   .end();
  if (got.offset != start) {
    differences_.OnDifference(EntryText(entry) + "the table gives offset " +
                              SignedNumber(got.offset) + ", not " +
                              SignedNumber(start));
  }
  return true;
}

Status ImageComparison::NextEntry() {
  ++entry_;
  return StartEntry();
}

// Moves the image's reader to `position`, within what it holds when it can.
Status ImageComparison::SeekImage(std::uint64_t position) {
  if (reader_ && position >= reader_position_) {
    Result<std::string_view> ahead = reader_->Peek();
    if (!ahead.ok()) return ImageFailure(ahead.status());
    if (position - reader_position_ <= ahead->size()) {
      reader_->Consume(position - reader_position_);
      reader_position_ = position;
      return Status::Ok();
    }
  }
  reader_.emplace(image_, kImageBlockSize, position);
  reader_position_ = position;
  return Status::Ok();
}

Status ImageComparison::ReadImage(std::string_view expected) {
  while (!expected.empty()) {
    Result<std::string_view> ahead = reader_->Peek();
    if (!ahead.ok()) return ImageFailure(ahead.status());
    if (ahead->empty()) {
      return ImageFailure(Status(FailureCode::kInputPastEndOfFile));
    }
    const std::size_t take = std::min(ahead->size(), expected.size());
    if (comparing_ && std::memcmp(ahead->data(), expected.data(), take) != 0) {
      const auto differ = std::mismatch(
          expected.begin(), expected.begin() + take, ahead->begin());
      const std::uint64_t byte =
          kLeadingTrim + done_ + (differ.first - expected.begin()) + 1;
      differences_.OnDifference(EntryText(table_[entry_]) +
                                "payload differs at byte " +
                                GroupedNumber(byte) + " of " + name_);
      comparing_ = false;
    }
    reader_->Consume(take);
    reader_position_ += take;
    done_ += take;
    expected.remove_prefix(take);
  }
  return Status::Ok();
}

Status ImageComparison::Append(std::string_view bytes) {
  while (!bytes.empty()) {
    const auto length =
        static_cast<std::uint64_t>(layout_.places[entry_].length);
    if (done_ == length) {
      if (Status s = NextEntry(); !s.ok()) return s;
      continue;
    }
    const auto take = static_cast<std::size_t>(
        std::min<std::uint64_t>(bytes.size(), length - done_));
    if (reading_) {
      if (Status s = ReadImage(bytes.substr(0, take)); !s.ok()) return s;
    } else {
      done_ += take;
    }
    bytes.remove_prefix(take);
  }
  return Status::Ok();
}

Status ImageComparison::Finish() {
  while (entry_ + 1 < table_.size()) {
    if (Status s = NextEntry(); !s.ok()) return s;
  }
  if (!image_count_ || *image_count_ > table_.size()) return Status::Ok();
  const TableEntry last = DecodeTableEntry(
      image_table_.data() + image_table_.size() - kTableEntrySize);
  if (LiesInsideFile(last, image_size_) &&
      static_cast<std::uint64_t>(last.end()) < image_size_) {
    differences_.OnDifference(
        LastComponent(path_) + " holds " +
        CountOf(image_size_ - last.end(), "byte", "bytes") +
        " after its last payload");
  }
  return Status::Ok();
}

}  // namespace mirlot
