// Reads the list file into the entry table and checks each member it names.
#include "packing/list_stage.h"

#include "packing/list_names.h"
#include "packing/messages.h"
#include "runtime/list_field_reader.h"
#include "runtime/path.h"
#include "runtime/text.h"

namespace mirlot {

namespace {

// Checks one member. On success `entry` holds its size. Otherwise either a
// failure is returned or `refusal` is set.
Status CheckMember(FileSystem& file_system, const std::string& path,
                   std::int64_t index, ListEntry& entry,
                   std::optional<std::string>& refusal) {
  Result<FileStatus> status = file_system.Stat(path);
  if (!status.ok()) return status.status();
  if (status->kind != FileKind::kRegular || status->hidden) {
    refusal = MissingMemberMessage(index);
  } else if (status->size < kMinimumMemberSize) {
    refusal = ShortMemberMessage(index);
  } else {
    entry.member_size = status->size;
  }
  return Status::Ok();
}

}  // namespace

std::string MemberPath(const std::string& folder, const std::string& name) {
  return ResolveIn(folder, PathFromListField(name));
}

ListStageResult ReadEntryTable(FileSystem& file_system,
                               const std::string& list_path,
                               const std::string& folder) {
  ListStageResult result;
  Result<std::unique_ptr<ReadableFile>> list =
      file_system.OpenForRead(list_path);
  if (!list.ok()) {
    result.failure = list.status();
    return result;
  }
  result.list = std::move(*list);
  ListFieldReader reader(*result.list);
  for (;;) {
    Result<bool> at_end = reader.AtEnd();
    if (!at_end.ok()) {
      result.failure = at_end.status();
      break;
    }
    if (*at_end) break;
    Result<std::string> field = reader.ReadField();
    if (!field.ok()) {
      result.failure = field.status();
      break;
    }
    if (result.table.size() >= kTableCapacity) {
      result.failure = Status(FailureCode::kSubscriptOutOfRange);
      break;
    }
    ListEntry entry;
    const std::string name = TrimSpaces(*field);
    entry.name_key = NameKey(name);
    entry.list_line = reader.field_line();
    const auto index = static_cast<std::int64_t>(result.table.size());
    result.failure = CheckMember(file_system, MemberPath(folder, name), index,
                                 entry, result.refusal);
    if (!result.failure.ok() || result.refusal) {
      result.stopped_at = std::move(entry);
      result.stopped_name = name;
      break;
    }
    result.table.push_back(std::move(entry));
  }
  return result;
}

}  // namespace mirlot
