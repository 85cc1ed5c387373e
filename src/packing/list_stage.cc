// Reads the list file into the entry table and checks each member it names.
#include "packing/list_stage.h"

#include "format/list_field_reader.h"
#include "packing/failure_detail.h"
#include "packing/list_names.h"
#include "packing/messages.h"
#include "runtime/path.h"
#include "runtime/text.h"

namespace mirlot {

namespace {

// Checks the member `entry` names `name`, at `path`. On success `entry`
// holds its size. Otherwise either a failure is returned or `refusal` is
// set; either way with its detail.
RunFailure CheckMember(FileSystem& file_system, const std::string& name,
                       const std::string& path, std::int64_t index,
                       ListEntry& entry, std::optional<std::string>& refusal) {
  Result<FileStatus> status = file_system.Stat(path);
  std::string reason;
  if (!status.ok()) {
    reason = ReasonOf(status.status());
  } else if (status->kind != FileKind::kRegular || status->hidden) {
    refusal = MissingMemberMessage(index);
    reason = status->hidden ? "hidden file" : "not a regular file";
  } else if (status->size < kMinimumMemberSize) {
    refusal = ShortMemberMessage(index);
    reason = "shorter than 54 bytes";
  } else {
    entry.member_size = status->size;
    return {};
  }
  if (name.empty()) {
    return {status.status(), PlaceName(entry.place) + " is empty"};
  }
  return {status.status(), EntryDetail(entry.place, ShownPath(path), reason)};
}

// The failure to open or read the list at `list_path`, with its detail.
RunFailure ListFailure(FileSystem& file_system, const std::string& list_path,
                       const Status& failure) {
  Result<FileStatus> list = file_system.Stat(list_path);
  if (list.ok() && list->kind != FileKind::kRegular) {
    return {failure, "reading the list " + list_path + ": not a regular file"};
  }
  return Explained(failure, "reading the list " + list_path);
}

}  // namespace

std::string MemberPath(const std::string& folder, const std::string& name) {
  return ResolveIn(folder, PathFromListField(name));
}

ListStageResult ReadEntryTable(FileSystem& file_system,
                               const std::string& list_path,
                               const std::string& folder) {
  ListStageResult result;
  const auto fail = [&](const RunFailure& failure) {
    result.failure = failure.status;
    result.detail = failure.detail;
    return std::move(result);
  };
  Result<std::unique_ptr<ReadableFile>> list =
      file_system.OpenForRead(list_path);
  if (!list.ok())
    return fail(ListFailure(file_system, list_path, list.status()));
  result.list = std::move(*list);
  ListFieldReader reader(*result.list);
  for (;;) {
    Result<bool> at_end = reader.AtEnd();
    if (!at_end.ok())
      return fail(ListFailure(file_system, list_path, at_end.status()));
    if (*at_end) break;
    Result<std::string> field = reader.ReadField();
    if (field.status().Is(FailureCode::kBadFileNameOrNumber)) {
      return fail(
          {field.status(), PlaceName(reader.place()) + ": name too long"});
    }
    if (!field.ok())
      return fail(ListFailure(file_system, list_path, field.status()));
    if (result.table.size() >= kTableCapacity) {
      return fail({Status(FailureCode::kSubscriptOutOfRange),
                   "list line " + std::to_string(reader.place().line) +
                       ": more than " + std::to_string(kTableCapacity) +
                       " names"});
    }
    const std::string name = TrimSpaces(*field);
    ListEntry entry{.name_key = NameKey(name), .place = reader.place()};
    const auto index = static_cast<std::int64_t>(result.table.size());
    RunFailure checked =
        CheckMember(file_system, name, MemberPath(folder, name), index, entry,
                    result.refusal);
    if (!checked.ok() || result.refusal) {
      // The name is the rest of the list: the missing quote is the fault.
      if (reader.quote_unclosed()) {
        checked.detail = PlaceName(entry.place) +
                         ": the quote opened on line " +
                         std::to_string(entry.place.line) +
                         " is never closed, so the name runs to the end of "
                         "the list";
      }
      result.stopped_at = std::move(entry);
      result.stopped_name = name;
      return fail(checked);
    }
    result.table.push_back(std::move(entry));
  }
  return result;
}

}  // namespace mirlot
