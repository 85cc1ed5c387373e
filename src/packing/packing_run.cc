// The order of a whole packing run, from the list file to the last message.
#include "packing/packing_run.h"

#include "format/report_text.h"
#include "packing/commit_lock.h"
#include "packing/container_layout.h"
#include "packing/list_stage.h"
#include "packing/messages.h"
#include "packing/payload_copier.h"
#include "packing/staged_output.h"
#include "runtime/commit_record.h"
#include "runtime/path.h"

namespace mirlot {

namespace {

// True when the list file is, under any name, one of the outputs the run
// would replace: reading it and writing over it would lose it.
bool ListIsAnOutput(FileSystem& file_system, const std::string& list_path,
                    const std::string& folder) {
  Result<FileStatus> list = file_system.Stat(list_path);
  // The list stage reports a list it cannot read; an identity the platform
  // could not learn matches nothing.
  if (!list.ok() || list->identity == FileIdentity{}) return false;
  for (const char* name : {kImageName, kReportName}) {
    Result<FileStatus> output = file_system.Stat(ResolveIn(folder, name));
    if (output.ok() && output->identity == list->identity) return true;
  }
  return false;
}

// Writes the report a line at a time, so that memory does not grow with it.
Status WriteReport(WritableFile& report, const EntryTable& table,
                   const ContainerLayout& layout) {
  Status status = report.Append(ReportHeading());
  for (std::size_t k = 0; status.ok() && k < table.size(); ++k) {
    status = report.Append(ReportLine(k, table[k].name, layout.places[k]));
  }
  return status;
}

// Writes both outputs under temporary names in `folder_path`, makes them
// durable and moves them into place once both are complete, all under the
// folder's lock.
Status WriteOutputs(FileSystem& file_system, const std::string& folder_path,
                    const EntryTable& table, const ContainerLayout& layout,
                    RunObserver& observer) {
  Result<std::unique_ptr<Folder>> opened = file_system.OpenFolder(folder_path);
  if (!opened.ok()) return opened.status();
  Folder& folder = **opened;
  // Declared before the outputs, so that it is released after the
  // temporary files are moved into place or removed.
  Result<std::unique_ptr<FolderLock>> lock =
      LockForCommit(folder, folder_path, observer);
  if (!lock.ok()) return lock.status();
  // A commit that a crash interrupted is rolled back first: until then a
  // leftover temporary file may hold the only copy of an earlier output.
  if (Status s = RollBackInterruptedCommit(folder); !s.ok()) return s;
  if ((*lock)->held()) {
    for (const char* name : {kImageName, kReportName, kCommitRecordName}) {
      folder.RemoveStaleTemporaries(name);
    }
  }
  StagedOutput image(folder, kImageName);
  StagedOutput report(folder, kReportName);
  Status status = image.Open();
  if (status.ok()) status = report.Open();
  if (status.ok()) status = WriteReport(report.file(), table, layout);
  if (status.ok()) status = image.file().Append(EncodeTable(layout.places));
  if (status.ok()) {
    status = CopyPayloads(file_system, folder_path, table, layout, image.file(),
                          observer);
  }
  if (status.ok()) observer.OnSaving();
  if (status.ok()) status = report.Finish();
  if (status.ok()) status = image.Finish();
  // On the disk before they are moved over the earlier files, so that a
  // crash soon after cannot leave an empty or partial output in place. For
  // a large image this wait is most of the run (README, Performance).
  if (status.ok()) status = folder.SyncClosedFiles();
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
  if (!request.list_path) {
    sink.Show(kNoFileSelectedMessage, MessageKind::kProblem);
    return RunOutcome::kRefused;
  }
  const std::string& list_path = *request.list_path;
  const std::string folder = ParentFolder(list_path);
  if (ListIsAnOutput(file_system, list_path, folder)) {
    return Fail(sink, Status(FailureCode::kPathFileAccessError));
  }
  ListStageResult list = ReadEntryTable(file_system, list_path, folder);
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
