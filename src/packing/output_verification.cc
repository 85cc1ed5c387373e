// Compares an earlier run's outputs with what the list gives now: the list
// through the run's own list stage, the payloads through its own copy.
#include "packing/output_verification.h"

#include <variant>

#include "format/output_names.h"
#include "packing/container_layout.h"
#include "packing/image_comparison.h"
#include "packing/list_names.h"
#include "packing/list_stage.h"
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

// Tells `stop`, the member the list stage stopped at, as a difference:
// `what` is wrong with it.
void TellStoppedMember(const StoppedMember& stop, const char* what,
                       CountingSink& differences) {
  differences.OnDifference(EntryText(stop.entry) + (stop.name.empty()
                                                        ? "the name is empty"
                                                        : stop.name + what));
}

// Tells where the list stage stopped, short of a table, as a run would stop
// there.
// On failure returns the failure to read the list or look up a member.
Status TellListProblem(const ListStageResult& stage, const std::string& path,
                       const std::string& folder, CountingSink& differences) {
  if (const auto* refused = std::get_if<MemberRefusal>(&stage)) {
    TellStoppedMember(refused->member,
                      refused->too_short ? " is shorter than 54 bytes"
                                         : " is not a normal file",
                      differences);
    return Status::Ok();
  }
  const ListStageFailure& failed = std::get<ListStageFailure>(stage);
  // Verify tells a failure by its description alone, without a run's detail.
  const Status failure = failed.failure.WithDetail("");
  if (failed.member && failure.Is(FailureCode::kFileNotFound)) {
    TellStoppedMember(*failed.member, " is missing", differences);
  } else if (failed.member) {
    return failure.About(MemberPath(folder, failed.member->name));
  } else if (failure.Is(FailureCode::kSubscriptOutOfRange)) {
    differences.OnDifference("the list names more than " +
                             std::to_string(kTableCapacity) + " members");
  } else {
    return failure.About(path);
  }
  return Status::Ok();
}

Result<std::uint64_t> Verify(FileSystem& file_system,
                             const std::string& list_path,
                             PackedOutputs outputs, DifferenceSink& sink,
                             RunObserver& observer) {
  const std::string folder = ParentFolder(list_path);
  CountingSink differences(sink);
  ListStageResult stage = ReadEntryTable(file_system, list_path, folder);
  if (observer.CancelRequested()) return FailureCode::kUserInterrupt;
  auto* list = std::get_if<ReadyTable>(&stage);
  if (!list) {
    Status told = TellListProblem(stage, list_path, folder, differences);
    if (!told.ok()) return told;
    return differences.count;
  }
  if (list->table.empty()) {
    differences.OnDifference("the list names no members");
    return differences.count;
  }
  Result<ContainerLayout> layout = PlanContainer(list->table);
  if (!layout.ok()) {
    differences.OnDifference("the image would reach 2 GiB");
    return differences.count;
  }
  // Each pass reads the names again from the list, in list order: the
  // comparison of the image, the copy (on its own thread) and the report's.
  ListNames image_names(*list->list, list->table, list_path);
  ImageComparison image(list->table, *layout, image_names, outputs.image,
                        ResolveIn(folder, kImageName), differences);
  Status status = image.Start();
  if (status.ok()) {
    const CopyResult copied =
        CopyPayloads(file_system, folder, *list->list, list->table, *layout,
                     image, kImageName, observer);
    // Verify says a failure by its description; the detail is the run's.
    status = copied.failure.WithDetail("");
    if (copied.member_path) {
      status = status.About(copied.member_path->empty() ? list_path
                                                        : *copied.member_path);
    }
  }
  if (status.ok()) status = image.Finish();
  if (status.ok()) {
    ListNames report_names(*list->list, list->table, list_path);
    status = CompareReport(outputs.report, ResolveIn(folder, kReportName),
                           list->table, *layout, report_names, differences);
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