// The order of a whole packing run, from the list file to the last message.
#include "packing/packing_run.h"

#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "commit/commit_record.h"
#include "commit/interrupted_commit.h"
#include "format/report_text.h"
#include "packing/commit_lock.h"
#include "packing/container_layout.h"
#include "packing/failure_detail.h"
#include "packing/list_names.h"
#include "packing/list_stage.h"
#include "packing/messages.h"
#include "packing/payload_copier.h"
#include "packing/staged_output.h"
#include "runtime/out_of_memory.h"
#include "runtime/path.h"
#include "runtime/reserved_names.h"

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

// Writes the report a line at a time, each name read again from `list`, so
// that memory does not grow with it. A failure to write is told as the
// report's, `writing`; one to read a name again as the list's.
Status WriteReport(WritableFile& report, ReadableFile& list,
                   const EntryTable& table, const ContainerLayout& layout,
                   const std::string& writing) {
  ListNames names(list, table);
  Status status = report.Append(ReportHeading());
  for (std::size_t k = 0; status.ok() && k < table.size(); ++k) {
    Result<std::string> name = names.Next();
    if (!name.ok()) {
      return NameRereadFailure(name.status(), table[k].place);
    }
    status = report.Append(ReportLine(k, *name, layout.places[k]));
  }
  return Explained(status, writing);
}

// Settles the commit of an earlier run that a crash interrupted in `folder`
// and warns of a record that was not ours. A record that stays fails the
// run with 75: this run needs its name.
Status SettleEarlierCommit(Folder& folder, const std::string& folder_path,
                           bool locked, RunObserver& observer) {
  const std::string outputs[] = {kImageName, kReportName};
  Result<Settlement> settled =
      SettleInterruptedCommit(folder, folder_path, outputs, locked);
  if (!settled.ok()) {
    const Status& failure = settled.status();
    return Status(static_cast<FailureCode>(failure.number()))
        .WithDetail(failure.description());
  }
  if (!settled->note.empty()) observer.OnWarning(settled->note);
  if (!settled->remains.empty()) {
    return Status(FailureCode::kPathFileAccessError)
        .WithDetail(settled->remains);
  }
  return Status::Ok();
}

// Why replacing the outputs failed with 75 when a folder holds the name of
// one of them ("out.bin is a folder"), which the number alone hides; ""
// otherwise.
std::string FolderInTheWay(Folder& folder) {
  for (const char* name : {kImageName, kReportName}) {
    Result<std::optional<FileStatus>> found = folder.StatName(name);
    if (found.ok() && *found && (*found)->kind == FileKind::kDirectory) {
      return std::string(name) + " is a folder";
    }
  }
  return "";
}

// The output folder of a run, open and locked for its commit.
struct PreparedFolder {
  std::unique_ptr<Folder> folder;
  // Released before the folder closes, after the temporary files written
  // in it were moved into place or removed.
  std::unique_ptr<FolderLock> lock;
};

// Opens and locks `folder_path`, then settles a commit a crash interrupted
// there and, under a held lock, removes the temporary files of earlier runs.
// On success `prepared` holds the folder and its lock. On failure returns
// why, with its detail.
Status PrepareFolder(FileSystem& file_system, const std::string& folder_path,
                     RunObserver& observer, PreparedFolder& prepared) {
  Result<std::unique_ptr<Folder>> opened = file_system.OpenFolder(folder_path);
  if (!opened.ok()) {
    return Explained(opened.status(),
                     "opening the folder " + FolderName(folder_path));
  }
  prepared.folder = std::move(*opened);
  Result<std::unique_ptr<FolderLock>> lock =
      LockForCommit(*prepared.folder, folder_path, observer);
  if (!lock.ok()) {
    return Explained(lock.status(),
                     "locking the folder " + FolderName(folder_path));
  }
  prepared.lock = std::move(*lock);
  const bool held = prepared.lock->held();
  // A commit that a crash interrupted is settled first: until then a
  // leftover temporary file may hold the only copy of an earlier output.
  Status settled =
      SettleEarlierCommit(*prepared.folder, folder_path, held, observer);
  if (settled.ok() && held) {
    constexpr std::string_view kStems[] = {kImageName, kReportName,
                                           kCommitRecordName};
    prepared.folder->RemoveStaleTemporaries(kStems);
  }
  return settled;
}

// Explains a failure to move the outputs into place, `replacing`; where the
// folder is in the way of a name, says which.
Status ExplainReplacing(Folder& folder, const Status& failure,
                        const std::string& replacing) {
  const std::string why = failure.Is(FailureCode::kPathFileAccessError)
                              ? FolderInTheWay(folder)
                              : std::string();
  if (!why.empty()) return failure.WithDetail(replacing + ": " + why);
  return Explained(failure, replacing);
}

// Makes the finished `image` and `report` in `folder` durable and moves them
// into place together, unless `observer` asked to cancel first.
// On success both outputs are in place. On failure the earlier ones are.
Status CommitOutputs(Folder& folder, const std::string& folder_path,
                     StagedOutput& image, StagedOutput& report,
                     RunObserver& observer) {
  const std::string both = std::string(kImageName) + " and " + kReportName;
  const std::string replacing = OutputOperation("replacing", both, folder_path);
  StagedOutput* const outputs[] = {&image, &report};
  Result<CommitRecord> record = RecordCommit(outputs);
  if (!record.ok()) return ExplainReplacing(folder, record.status(), replacing);
  // On the disk, with the record, before they are moved over the earlier
  // files, so that a crash soon after cannot leave an empty or partial
  // output in place. For a large image this wait is most of the run
  // (docs/performance.md).
  if (Status s = folder.SyncClosedFiles(); !s.ok()) {
    return Explained(s, OutputOperation("saving", both, folder_path));
  }
  if (observer.CancelRequested()) {
    return Status(FailureCode::kUserInterrupt);
  }
  const Status s = CommitTogether(outputs, std::move(*record));
  return ExplainReplacing(folder, s, replacing);
}

// Writes both outputs under temporary names in the prepared `folder`, at
// `folder_path`, and commits them (CommitOutputs).
// On success both outputs are in place. On failure the earlier ones are, and
// the temporary files are removed.
Status WriteAndCommit(FileSystem& file_system, Folder& folder,
                      const std::string& folder_path, ReadableFile& list,
                      const EntryTable& table, const ContainerLayout& layout,
                      RunObserver& observer) {
  const auto writing = [&folder_path](const char* name) {
    return OutputOperation("writing", name, folder_path);
  };
  StagedOutput image(folder, kImageName);
  StagedOutput report(folder, kReportName);
  if (Status s = image.Open(); !s.ok()) {
    return Explained(s, writing(kImageName));
  }
  if (Status s = report.Open(); !s.ok()) {
    return Explained(s, writing(kReportName));
  }
  Status reported =
      WriteReport(report.file(), list, table, layout, writing(kReportName));
  if (!reported.ok()) return reported;
  if (Status s = image.file().Append(EncodeTable(layout.places)); !s.ok()) {
    return Explained(s, writing(kImageName));
  }
  Status copied = CopyPayloads(file_system, folder_path, list, table, layout,
                               image.file(), kImageName, observer)
                      .failure;
  if (!copied.ok()) return copied;
  observer.OnSaving();
  if (Status s = report.Finish(); !s.ok()) {
    return Explained(s, writing(kReportName));
  }
  if (Status s = image.Finish(); !s.ok()) {
    return Explained(s, writing(kImageName));
  }
  return CommitOutputs(folder, folder_path, image, report, observer);
}

// Writes both outputs in `folder_path` and moves them into place once both
// are complete, all under the folder's lock.
Status WriteOutputs(FileSystem& file_system, const std::string& folder_path,
                    ReadableFile& list, const EntryTable& table,
                    const ContainerLayout& layout, RunObserver& observer) {
  PreparedFolder prepared;
  if (Status failure =
          PrepareFolder(file_system, folder_path, observer, prepared);
      !failure.ok()) {
    return failure;
  }
  return WriteAndCommit(file_system, *prepared.folder, folder_path, list, table,
                        layout, observer);
}

RunOutcome Fail(MessageSink& sink, const Status& failure) {
  if (failure.Is(FailureCode::kUserInterrupt)) return RunOutcome::kCancelled;
  sink.Show(FailureMessage(failure), MessageKind::kProblem, failure.detail());
  return RunOutcome::kFailed;
}

// The failure of a table whose image would reach 2 GiB.
Status TooLarge(ReadableFile& list, const EntryTable& table,
                const std::string& folder) {
  const std::size_t k = EntriesThatFit(table);
  std::string detail = PlaceName(table[k].place) + ": ";
  if (Result<std::string> name = ListNames::At(list, table, k); name.ok()) {
    detail += ShownPath(MemberPath(folder, *name)) + ": ";
  }
  return Status(FailureCode::kOverflow)
      .WithDetail(detail + "the image would reach 2 GiB with it");
}

RunOutcome PackList(const RunRequest& request, FileSystem& file_system,
                    MessageSink& sink, RunObserver& observer) {
  if (!request.list_path) {
    sink.Show(kNoFileSelectedMessage, MessageKind::kProblem);
    return RunOutcome::kRefused;
  }
  const std::string& list_path = *request.list_path;
  const std::string folder = ParentFolder(list_path);
  if (ListIsAnOutput(file_system, list_path, folder)) {
    return Fail(sink, Status(FailureCode::kPathFileAccessError)
                          .WithDetail("the list " + list_path +
                                      " is one of the outputs"));
  }
  ListStageResult stage = ReadEntryTable(file_system, list_path, folder);
  // A user who cancelled while the list was read wants no message about it.
  if (observer.CancelRequested()) return RunOutcome::kCancelled;
  if (const auto* failed = std::get_if<ListStageFailure>(&stage)) {
    return Fail(sink, failed->failure);
  }
  if (const auto* refused = std::get_if<MemberRefusal>(&stage)) {
    sink.Show(refused->message, MessageKind::kProblem, refused->detail);
    return RunOutcome::kRefused;
  }
  ReadyTable& list = std::get<ReadyTable>(stage);
  if (list.table.empty()) {
    sink.Show(kEmptyListMessage, MessageKind::kProblem);
    sink.Show(kDoneMessage, MessageKind::kCompletion);
    return RunOutcome::kDone;
  }
  Result<ContainerLayout> layout = PlanContainer(list.table);
  if (!layout.ok()) return Fail(sink, TooLarge(*list.list, list.table, folder));
  Status written = WriteOutputs(file_system, folder, *list.list, list.table,
                                *layout, observer);
  if (!written.ok()) return Fail(sink, written);
  sink.Show(kDoneMessage, MessageKind::kCompletion);
  return RunOutcome::kDone;
}

}  // namespace

RunOutcome RunPacking(const RunRequest& request, FileSystem& file_system,
                      MessageSink& sink, RunObserver& observer) {
  Result<RunOutcome> outcome =
      OutOfMemoryAsFailure([&]() -> Result<RunOutcome> {
        return PackList(request, file_system, sink, observer);
      });
  // Unwinding removed the temporary files; the outputs are as they were.
  if (!outcome.ok()) return Fail(sink, outcome.status());
  return *outcome;
}

}  // namespace mirlot
