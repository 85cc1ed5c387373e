// The report read line by line beside the lines a run would write.
#include "packing/report_comparison.h"

#include <optional>

#include "format/report_text.h"
#include "runtime/number_text.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

// Compares the report's lines with the lines a run would write, one at a
// time, telling runs of differing lines as one difference.
class ReportComparison {
 public:
  ReportComparison(ReadableFile& report, std::string path,
                   DifferenceSink& differences)
      : input_(report), path_(std::move(path)), differences_(differences) {}

  // Compares the next line with `expected`, line end included.
  Status Compare(std::string_view expected);
  // Once every expected line was compared: tells lines missing or left.
  Status Finish();

 private:
  // On success returns whether the next line is `expected`; nullopt at the
  // end of the report.
  Result<std::optional<bool>> NextLineIs(std::string_view expected);
  void TellRun();

  ReportLineReader input_;
  const std::string path_;
  DifferenceSink& differences_;
  std::uint64_t expected_lines_ = 0;
  bool ended_ = false;
  std::uint64_t run_first_ = 0;  // 0 while no differing line waits
  std::uint64_t run_last_ = 0;
};

Result<std::optional<bool>> ReportComparison::NextLineIs(
    std::string_view expected) {
  Result<std::optional<ReportTextLine>> line = input_.NextLine(expected.size());
  if (!line.ok()) return line.status().About(path_);
  if (!*line) return std::optional<bool>();
  const ReportTextLine& got = **line;
  return std::optional<bool>(
      !got.cut && expected.size() == got.text.size() + got.end.size() &&
      expected.starts_with(got.text) && expected.ends_with(got.end));
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
  }
  const std::uint64_t lines = input_.line_number();
  if (lines != expected_lines_) {
    differences_.OnDifference(
        LastComponent(path_) + " has " + GroupedNumber(lines) +
        (lines == 1 ? " line" : " lines") + ", the list gives " +
        GroupedNumber(expected_lines_));
  }
  return Status::Ok();
}

}  // namespace

Status CompareReport(ReadableFile& file, const std::string& path,
                     const EntryTable& table, const ContainerLayout& layout,
                     ListNames& names, DifferenceSink& differences) {
  ReportComparison report(file, path, differences);
  Status status = report.Compare(ReportHeading());
  for (std::size_t k = 0; status.ok() && k < table.size(); ++k) {
    Result<std::string> name = names.Next();
    if (!name.ok()) return name.status();
    status = report.Compare(ReportLine(k, *name, layout.places[k]));
  }
  return status.ok() ? report.Finish() : status;
}

}  // namespace mirlot
