// The report read line by line beside the lines a run would write.
#include "packing/report_comparison.h"

#include <optional>

#include "format/report_text.h"
#include "runtime/buffered_reader.h"
#include "runtime/number_text.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

constexpr std::size_t kReportBlockSize = 64 * 1024;

// Compares the report's lines with the lines a run would write, one at a
// time, telling runs of differing lines as one difference.
class ReportComparison {
 public:
  ReportComparison(ReadableFile& report, std::string path,
                   DifferenceSink& differences)
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
  DifferenceSink& differences_;
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
  differences_.OnDifference(
      run_first_ == run_last_
          ? "report line " + GroupedNumber(run_first_) + " differs"
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
    differences_.OnDifference(
        LastComponent(path_) + " has " + GroupedNumber(lines_) +
        (lines_ == 1 ? " line" : " lines") + ", the list gives " +
        GroupedNumber(expected_lines_));
  }
  return Status::Ok();
}

}  // namespace

Status CompareReport(ReadableFile& file, const std::string& path,
                     const EntryTable& table, const ContainerLayout& layout,
                     DifferenceSink& differences) {
  ReportComparison report(file, path, differences);
  Status status = report.Compare(ReportHeading());
  for (std::size_t k = 0; status.ok() && k < table.size(); ++k) {
    status = report.Compare(ReportLine(k, table[k].name, layout.places[k]));
  }
  return status.ok() ? report.Finish() : status;
}

}  // namespace mirlot
