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

// What a stop at the member `name` at `place` says: `reason` about its
// `path`, unless an unclosed quote made the name the rest of the list.
std::string StopDetail(const ListPlace& place, const std::string& name,
                       const std::string& path, const std::string& reason,
                       bool quote_unclosed) {
  // The name is the rest of the list: the missing quote is the fault.
  if (quote_unclosed) {
    return PlaceName(place) + ": the quote opened on line " +
           std::to_string(place.line) +
           " is never closed, so the name runs to the end of the list";
  }
  if (name.empty()) return PlaceName(place) + " is empty";
  return EntryDetail(place, ShownPath(path), reason);
}

// Looks up the member `entry` names, `name` at `path`, the `index`th of the
// list; `reader` tells whether its quote was left open.
// On success `entry` holds its size and nothing is returned. Otherwise
// returns where the stage stops: the failure to look the member up, or the
// refusal of a member the run will not pack.
std::optional<ListStageResult> CheckMember(
    FileSystem& file_system, const std::string& name, const std::string& path,
    std::int64_t index, const ListFieldReader& reader, ListEntry& entry) {
  Result<FileStatus> status = file_system.Stat(path);
  const auto detail = [&](const std::string& reason) {
    return StopDetail(entry.place, name, path, reason, reader.quote_unclosed());
  };
  if (!status.ok()) {
    return ListStageFailure{
        status.status().WithDetail(detail(ReasonOf(status.status()))),
        StoppedMember{entry, name}};
  }
  if (status->kind != FileKind::kRegular || status->hidden) {
    return MemberRefusal{
        MissingMemberMessage(index),
        detail(status->hidden ? "hidden file" : "not a regular file"),
        {entry, name}};
  }
  if (status->size < kMinimumMemberSize) {
    return MemberRefusal{ShortMemberMessage(index),
                         detail("shorter than 54 bytes"),
                         {entry, name},
                         true};
  }
  entry.member_size = status->size;
  return std::nullopt;
}

// The failure to open or read the list at `list_path`, with its detail.
ListStageFailure ListReadFailure(FileSystem& file_system,
                                 const std::string& list_path,
                                 const Status& failure) {
  Result<FileStatus> list = file_system.Stat(list_path);
  if (list.ok() && list->kind != FileKind::kRegular) {
    return {failure.WithDetail("reading the list " + list_path +
                               ": not a regular file"),
            std::nullopt};
  }
  return {Explained(failure, "reading the list " + list_path), std::nullopt};
}

}  // namespace

std::string MemberPath(const std::string& folder, const std::string& name) {
  return ResolveIn(folder, PathFromListField(name));
}

ListStageResult ReadEntryTable(FileSystem& file_system,
                               const std::string& list_path,
                               const std::string& folder) {
  Result<std::unique_ptr<ReadableFile>> list =
      file_system.OpenForRead(list_path);
  if (!list.ok()) return ListReadFailure(file_system, list_path, list.status());
  ReadyTable ready{{}, std::move(*list)};
  ListFieldReader reader(*ready.list);
  for (;;) {
    Result<bool> at_end = reader.AtEnd();
    if (!at_end.ok()) {
      return ListReadFailure(file_system, list_path, at_end.status());
    }
    if (*at_end) return ready;
    Result<std::string> field = reader.ReadField();
    if (field.status().Is(FailureCode::kBadFileNameOrNumber)) {
      return ListStageFailure{
          field.status().WithDetail(PlaceName(reader.place()) +
                                    ": name too long"),
          std::nullopt};
    }
    if (!field.ok()) {
      return ListReadFailure(file_system, list_path, field.status());
    }
    if (ready.table.size() >= kTableCapacity) {
      return ListStageFailure{
          Status(FailureCode::kSubscriptOutOfRange)
              .WithDetail("list line " + std::to_string(reader.place().line) +
                          ": more than " + std::to_string(kTableCapacity) +
                          " names"),
          std::nullopt};
    }
    const std::string name = TrimSpaces(*field);
    ListEntry entry{.name_key = NameKey(name), .place = reader.place()};
    const auto index = static_cast<std::int64_t>(ready.table.size());
    if (std::optional<ListStageResult> stop =
            CheckMember(file_system, name, MemberPath(folder, name), index,
                        reader, entry)) {
      return std::move(*stop);
    }
    ready.table.push_back(std::move(entry));
  }
}

}  // namespace mirlot
