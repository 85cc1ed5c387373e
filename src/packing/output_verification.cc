// Compares an earlier run's outputs with what the list gives now: the
// payloads through the run's own copy, the image and the report read
// alongside.
#include "packing/output_verification.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

#include "format/image_table.h"
#include "format/output_names.h"
#include "format/report_text.h"
#include "packing/container_layout.h"
#include "packing/list_stage.h"
#include "packing/messages.h"
#include "packing/payload_copier.h"
#include "runtime/buffered_reader.h"
#include "runtime/number_text.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

constexpr std::size_t kImageBlockSize = 1024 * 1024;
constexpr std::size_t kReportBlockSize = 64 * 1024;

std::string CountOf(std::uint64_t count, const char* one, const char* many) {
  return GroupedNumber(count) + " " + (count == 1 ? one : many);
}

std::string EntryText(std::size_t index, const ListEntry& entry) {
  return "entry " + std::to_string(index + 1) + " (list line " +
         std::to_string(entry.list_line) + "): ";
}

// Counts the differences told to the sink.
struct Differences {
  DifferenceSink& sink;
  std::uint64_t count = 0;

  void Tell(const std::string& text) {
    ++count;
    sink.OnDifference(text);
  }
};

// Tells where the list stage stopped, as a run would stop there.
// On failure returns the failure to read the list or look up a member.
Status TellListProblem(const ListStageResult& list, const std::string& path,
                       const std::string& folder, Differences& differences) {
  const std::size_t index = list.table.size();
  if (!list.failure.ok() && !list.stopped_at) {
    if (!list.failure.Is(FailureCode::kSubscriptOutOfRange)) {
      return list.failure.About(path);
    }
    differences.Tell("the list names more than " +
                     std::to_string(kTableCapacity) + " members");
  } else if (list.stopped_at) {
    const ListEntry& entry = *list.stopped_at;
    if (!list.failure.ok() && !list.failure.Is(FailureCode::kFileNotFound)) {
      return list.failure.About(MemberPath(folder, entry));
    }
    const char* what =
        !list.failure.ok() ? " is missing"
        : *list.refusal == ShortMemberMessage(static_cast<std::int64_t>(index))
            ? " is shorter than 54 bytes"
            : " is not a normal file";
    differences.Tell(EntryText(index, entry) + (entry.name.empty()
                                                    ? "the name is empty"
                                                    : entry.name + what));
  } else if (list.table.empty()) {
    differences.Tell("the list names no members");
  }
  return Status::Ok();
}

// Takes the payloads the list gives now, as the copy of a run appends
// them, and compares each with its entry's payload in the image.
class ImageComparison : public WritableFile {
 public:
  ImageComparison(const EntryTable& table, const ContainerLayout& layout,
                  ReadableFile& image, std::string path,
                  Differences& differences)
      : table_(table),
        layout_(layout),
        expected_table_(EncodeTable(layout.places)),
        image_(image),
        path_(std::move(path)),
        differences_(differences) {}

  // Reads the image's size and table; tells a count that differs.
  Status Start();
  Status Append(std::string_view bytes) override;
  Status Close() override { return Status::Ok(); }
  const std::string& name() const override { return path_; }
  // Once every payload was appended: tells what is left.
  Status Finish();

  // True when the image could not be read.
  bool failed() const { return failed_; }

 private:
  Status ImageFailure(const Status& failure) {
    failed_ = true;
    return failure.About(path_);
  }
  Status StartEntry();
  bool TellTableDifference(const TableEntry& got);
  Status NextEntry();
  Status SeekImage(std::uint64_t position);
  // Reads `expected` from the image, comparing while `comparing_`.
  Status ReadImage(std::string_view expected);

  const EntryTable& table_;
  const ContainerLayout& layout_;
  const std::string expected_table_;
  ReadableFile& image_;
  const std::string path_;
  Differences& differences_;
  bool failed_ = false;
  std::uint64_t image_size_ = 0;
  std::optional<std::uint64_t> image_count_;  // unknown without a sound table
  std::string image_table_;  // the entries the list's entries are held to
  std::size_t entry_ = 0;    // the entry whose payload comes next
  std::uint64_t done_ = 0;   // payload bytes of it taken so far
  bool reading_ = false;     // its payload lies in the image, read alongside
  bool comparing_ = false;   // and no byte of it differed yet
  std::optional<BufferedReader> reader_;
  std::uint64_t reader_position_ = 0;
};

Status ImageComparison::Start() {
  Result<std::uint64_t> size = image_.Size();
  if (!size.ok()) return ImageFailure(size.status());
  image_size_ = *size;
  const std::size_t listed = table_.size();
  image_table_.resize(
      std::min<std::uint64_t>(listed, image_size_ / kTableEntrySize) *
      kTableEntrySize);
  BufferedReader head(image_, image_table_.size());
  Status read = head.ReadExactly(image_table_.data(), image_table_.size());
  if (!read.ok()) return ImageFailure(read);
  const TableEntry first = image_table_.empty()
                               ? TableEntry{}
                               : DecodeTableEntry(image_table_.data());
  if (first.offset <= 0 || first.offset % kTableEntrySize != 0 ||
      static_cast<std::uint64_t>(first.offset) > image_size_) {
    image_table_.clear();
    differences_.Tell(LastComponent(path_) +
                      " does not begin with a sound table");
  } else {
    image_count_ = static_cast<std::uint64_t>(first.offset) / kTableEntrySize;
    image_table_.resize(std::min<std::uint64_t>(*image_count_, listed) *
                        kTableEntrySize);
    if (*image_count_ != listed) {
      differences_.Tell(LastComponent(path_) + " holds " +
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
  const std::size_t k = entry_;
  const ListEntry& entry = table_[k];
  if (k * kTableEntrySize >= image_table_.size()) {
    if (image_count_) {
      differences_.Tell(EntryText(k, entry) + entry.name + " is not in " +
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
  if (got.offset < 0 || static_cast<std::uint64_t>(got.end()) > image_size_) {
    differences_.Tell(EntryText(k, entry) +
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
    differences_.Tell(
        EntryText(k, entry) + entry.name +
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
    differences_.Tell(EntryText(k, entry) + "the table gives offset " +
                      std::to_string(got.offset) + ", not " +
                      std::to_string(start));
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
      differences_.Tell(EntryText(entry_, table_[entry_]) +
                        "payload differs at byte " + GroupedNumber(byte) +
                        " of " + table_[entry_].name);
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
  if (last.offset >= 0 && last.length >= 0 &&
      static_cast<std::uint64_t>(last.end()) < image_size_) {
    differences_.Tell(LastComponent(path_) + " holds " +
                      CountOf(image_size_ - last.end(), "byte", "bytes") +
                      " after its last payload");
  }
  return Status::Ok();
}

// Compares the report's lines with the lines a run would write, one at a
// time, telling runs of differing lines as one difference.
class ReportComparison {
 public:
  ReportComparison(ReadableFile& report, std::string path,
                   Differences& differences)
      : input_(report, kReportBlockSize),
        path_(std::move(path)),
        differences_(differences) {}

  // Compares the next line with `expected`, line end included.
  Status Compare(std::string_view expected);
  // Once every expected line was compared: tells lines missing or left.
  Status Finish();

 private:
  // On success returns whether the next line is `expected`; nullopt at the
  // end of the report.
  Result<std::optional<bool>> NextLineIs(std::string_view expected);
  void TellRun();

  BufferedReader input_;
  const std::string path_;
  Differences& differences_;
  std::uint64_t expected_lines_ = 0;
  std::uint64_t lines_ = 0;  // read from the report
  bool ended_ = false;
  std::uint64_t run_first_ = 0;  // 0 while no differing line waits
  std::uint64_t run_last_ = 0;
};

Result<std::optional<bool>> ReportComparison::NextLineIs(
    std::string_view expected) {
  std::size_t matched = 0;
  bool same = true;
  bool any = false;
  for (;;) {
    Result<std::string_view> ahead = input_.Peek();
    if (!ahead.ok()) return ahead.status().About(path_);
    if (ahead->empty()) break;
    any = true;
    const std::size_t newline = ahead->find('\n');
    const std::size_t take =
        newline == std::string_view::npos ? ahead->size() : newline + 1;
    same = same && expected.substr(matched).starts_with(ahead->substr(0, take));
    matched += take;
    input_.Consume(take);
    if (newline != std::string_view::npos) break;
  }
  if (!any) return std::optional<bool>();
  return std::optional<bool>(same && matched == expected.size());
}

Status ReportComparison::Compare(std::string_view expected) {
  const std::uint64_t line = ++expected_lines_;
  if (ended_) return Status::Ok();
  Result<std::optional<bool>> same = NextLineIs(expected);
  if (!same.ok()) return same.status();
  if (!*same) {
    ended_ = true;
    return Status::Ok();
  }
  ++lines_;
  if (**same) return Status::Ok();
  if (run_first_ == 0 || run_last_ + 1 != line) {
    TellRun();
    run_first_ = line;
  }
  run_last_ = line;
  return Status::Ok();
}

void ReportComparison::TellRun() {
  if (run_first_ == 0) return;
  differences_.Tell(run_first_ == run_last_
                        ? "report line " + GroupedNumber(run_first_) +
                              " differs"
                        : "report lines " + GroupedNumber(run_first_) + " to " +
                              GroupedNumber(run_last_) + " differ");
  run_first_ = 0;
}

Status ReportComparison::Finish() {
  TellRun();
  while (!ended_) {
    Result<std::optional<bool>> line = NextLineIs({});
    if (!line.ok()) return line.status();
    ended_ = !*line;
    if (!ended_) ++lines_;
  }
  if (lines_ != expected_lines_) {
    differences_.Tell(LastComponent(path_) + " has " +
                      CountOf(lines_, "line", "lines") + ", the list gives " +
                      GroupedNumber(expected_lines_));
  }
  return Status::Ok();
}

// Compares the report with the one a run would write for `table`.
Status CompareReport(ReadableFile& file, const std::string& path,
                     const EntryTable& table, const ContainerLayout& layout,
                     Differences& differences) {
  ReportComparison report(file, path, differences);
  Status status = report.Compare(ReportHeading());
  for (std::size_t k = 0; status.ok() && k < table.size(); ++k) {
    status = report.Compare(ReportLine(k, table[k].name, layout.places[k]));
  }
  return status.ok() ? report.Finish() : status;
}

}  // namespace

Result<std::uint64_t> VerifyOutputs(FileSystem& file_system,
                                    const std::string& list_path,
                                    PackedOutputs outputs, DifferenceSink& sink,
                                    RunObserver& observer) {
  const std::string folder = ParentFolder(list_path);
  Differences differences{sink};
  ListStageResult list = ReadEntryTable(file_system, list_path, folder);
  if (observer.CancelRequested()) return FailureCode::kUserInterrupt;
  if (Status s = TellListProblem(list, list_path, folder, differences);
      !s.ok()) {
    return s;
  }
  if (differences.count > 0) return differences.count;
  Result<ContainerLayout> layout = PlanContainer(list.table);
  if (!layout.ok()) {
    differences.Tell("the image would reach 2 GiB");
    return differences.count;
  }
  ImageComparison image(list.table, *layout, outputs.image,
                        ResolveIn(folder, kImageName), differences);
  Status status = image.Start();
  if (status.ok()) {
    std::size_t member = 0;
    status = CopyPayloads(file_system, folder, list.table, *layout, image,
                          observer, &member);
    if (!status.ok() && !image.failed() && member < list.table.size() &&
        !status.Is(FailureCode::kUserInterrupt)) {
      status = status.About(MemberPath(folder, list.table[member]));
    }
  }
  if (status.ok()) status = image.Finish();
  if (status.ok()) {
    status = CompareReport(outputs.report, ResolveIn(folder, kReportName),
                           list.table, *layout, differences);
  }
  if (!status.ok()) return status;
  return differences.count;
}

}  // namespace mirlot
