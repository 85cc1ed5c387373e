// Compares an earlier run's outputs with what the list gives now: the list
// through the run's own list stage, the payloads through its own copy.
#include "packing/output_verification.h"

#include "format/output_names.h"
#include "packing/container_layout.h"
#include "packing/image_comparison.h"
#include "packing/list_names.h"
#include "packing/list_stage.h"
#include "packing/messages.h"
#include "packing/payload_copier.h"
#include "packing/report_comparison.h"
#include "runtime/out_of_memory.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

// Passes each difference on and counts them.
class CountingSink : public DifferenceSink {
 public:
  explicit CountingSink(DifferenceSink& sink) : sink_(sink) {}
  void OnDifference(const std::string& text) override {
    ++count;
    sink_.OnDifference(text);
  }
  std::uint64_t count = 0;

 private:
  DifferenceSink& sink_;
};

// Tells where the list stage stopped, as a run would stop there.
// On failure returns the failure to read the list or look up a member.
Status TellListProblem(const ListStageResult& list, const std::string& path,
                       const std::string& folder, CountingSink& differences) {
  const std::size_t index = list.table.size();
  if (!list.failure.ok() && !list.stopped_at) {
    if (!list.failure.Is(FailureCode::kSubscriptOutOfRange)) {
      return list.failure.About(path);
    }
    differences.OnDifference("the list names more than " +
                             std::to_string(kTableCapacity) + " members");
  } else if (list.stopped_at) {
    const std::string& name = list.stopped_name;
    if (!list.failure.ok() && !list.failure.Is(FailureCode::kFileNotFound)) {
      return list.failure.About(MemberPath(folder, name));
    }
    const char* what =
        !list.failure.ok() ? " is missing"
        : *list.refusal == ShortMemberMessage(static_cast<std::int64_t>(index))
            ? " is shorter than 54 bytes"
            : " is not a normal file";
    differences.OnDifference(
        EntryText(*list.stopped_at) +
        (name.empty() ? "the name is empty" : name + what));
  } else if (list.table.empty()) {
    differences.OnDifference("the list names no members");
  }
  return Status::Ok();
}

Result<std::uint64_t> Verify(FileSystem& file_system,
                             const std::string& list_path,
                             PackedOutputs outputs, DifferenceSink& sink,
                             RunObserver& observer) {
  const std::string folder = ParentFolder(list_path);
  CountingSink differences(sink);
  ListStageResult list = ReadEntryTable(file_system, list_path, folder);
  if (observer.CancelRequested()) return FailureCode::kUserInterrupt;
  if (Status s = TellListProblem(list, list_path, folder, differences);
      !s.ok()) {
    return s;
  }
  if (differences.count > 0) return differences.count;
  Result<ContainerLayout> layout = PlanContainer(list.table);
  if (!layout.ok()) {
    differences.OnDifference("the image would reach 2 GiB");
    return differences.count;
  }
  // Each pass reads the names again from the list, in list order: the
  // comparison of the image, the copy (on its own thread) and the report's.
  ListNames image_names(*list.list, list.table, list_path);
  ImageComparison image(list.table, *layout, image_names, outputs.image,
                        ResolveIn(folder, kImageName), differences);
  Status status = image.Start();
  if (status.ok()) {
    const CopyResult copied =
        CopyPayloads(file_system, folder, *list.list, list.table, *layout,
                     image, kImageName, observer);
    status = copied.failure.status;
    if (copied.member_path) {
      status = status.About(copied.member_path->empty() ? list_path
                                                        : *copied.member_path);
    }
  }
  if (status.ok()) status = image.Finish();
  if (status.ok()) {
    ListNames report_names(*list.list, list.table, list_path);
    status = CompareReport(outputs.report, ResolveIn(folder, kReportName),
                           list.table, *layout, report_names, differences);
  }
  if (!status.ok()) return status;
  return differences.count;
}

}  // namespace

Result<std::uint64_t> VerifyOutputs(FileSystem& file_system,
                                    const std::string& list_path,
                                    PackedOutputs outputs, DifferenceSink& sink,
                                    RunObserver& observer) {
  Result<std::uint64_t> count = OutOfMemoryAsFailure(
      [&] { return Verify(file_system, list_path, outputs, sink, observer); });
  // Memory is the whole check's: told as the list's.
  if (count.status() == Status(FailureCode::kOutOfMemory)) {
    return count.status().About(list_path);
  }
  return count;
}

}  // namespace mirlot