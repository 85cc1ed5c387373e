#include "packing/packing_run.h"

#include "packing/container_layout.h"
#include "packing/list_stage.h"
#include "packing/messages.h"
#include "packing/payload_copier.h"
#include "packing/report.h"
#include "packing/staged_output.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

// Writes both outputs under temporary names and renames them into place
// once both are complete.
Status WriteOutputs(FileSystem& file_system, const std::string& folder,
                    const EntryTable& table, const ContainerLayout& layout,
                    RunObserver& observer) {
  StagedOutput image(file_system, folder, kImageName);
  StagedOutput report(file_system, folder, kReportName);
  Status status = image.Open();
  if (status.ok()) status = report.Open();
  if (status.ok()) status = report.file().Append(ReportText(table, layout));
  if (status.ok()) status = image.file().Append(EncodeTable(layout));
  if (status.ok()) {
    status = CopyPayloads(file_system, table, layout, image.file(), observer);
  }
  if (status.ok()) status = report.Finish();
  if (status.ok()) status = image.Finish();
  if (status.ok() && observer.CancelRequested()) {
    status = Status(FailureCode::kUserInterrupt);
  }
  if (!status.ok()) return status;
  StagedOutput* const outputs[] = {&image, &report};
  return CommitTogether(outputs);
}

RunOutcome Fail(MessageSink& sink, const Status& failure) {
  if (failure.Is(FailureCode::kUserInterrupt)) return RunOutcome::kCancelled;
  sink.Show(FailureMessage(failure), MessageKind::kProblem);
  return RunOutcome::kFailed;
}

}  // namespace

RunOutcome RunPacking(const RunRequest& request, FileSystem& file_system,
                      MessageSink& sink, RunObserver& observer) {
  if (!request.list_chosen) {
    sink.Show(kNoFileSelectedMessage, MessageKind::kProblem);
    return RunOutcome::kRefused;
  }
  const std::string folder = ParentFolder(request.list_path);
  ListStageResult list = ReadEntryTable(file_system, request.list_path, folder);
  // A user who cancelled while the list was read wants no message about it.
  if (observer.CancelRequested()) return RunOutcome::kCancelled;
  if (!list.failure.ok()) return Fail(sink, list.failure);
  if (list.refusal) {
    sink.Show(*list.refusal, MessageKind::kProblem);
    return RunOutcome::kRefused;
  }
  if (list.table.empty()) {
    sink.Show(kEmptyListMessage, MessageKind::kProblem);
    sink.Show(kDoneMessage, MessageKind::kCompletion);
    return RunOutcome::kDone;
  }
  Result<ContainerLayout> layout = PlanContainer(list.table);
  if (!layout.ok()) return Fail(sink, layout.status());
  Status written =
      WriteOutputs(file_system, folder, list.table, *layout, observer);
  if (!written.ok()) return Fail(sink, written);
  sink.Show(kDoneMessage, MessageKind::kCompletion);
  return RunOutcome::kDone;
}

}  // namespace mirlot
