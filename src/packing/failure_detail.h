// What a run says after its message when it fails or refuses a member:
// which entry, list line or output, what was being done, and why, in fixed
// words that are the same on every platform.
#ifndef MIRLOT_PACKING_FAILURE_DETAIL_H_
#define MIRLOT_PACKING_FAILURE_DETAIL_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "format/list_field_reader.h"
#include "runtime/status.h"

namespace mirlot {

// "no such file" for 53, "no space left" for 61, "permission denied" for
// 70...; "failure N" for a number without a phrase.
std::string ReasonOf(const Status& failure);

// "list line 2, field 1": where an entry stands in the list, which is how
// every detail names it (the legacy line above it keeps its own number).
std::string PlaceName(const ListPlace& place);

// A member's path as details show it: control characters escaped
// (EscapeControls), so that a name cannot break or hide a line.
std::string ShownPath(std::string_view path);

// "list line 2, field 1: d/b.dat: no such file"; `what` is the member's
// path (ShownPath), after the operation when there is one.
std::string EntryDetail(const ListPlace& place, std::string_view what,
                        std::string_view reason);

// `failure` with "`what`: reason" as its detail; a cancelled run gets none.
Status Explained(const Status& failure, std::string_view what);

// `failure` to read the name of the entry at `place` again from the list
// (75 when the list no longer holds it), told as the list's: "list line 2,
// field 1: reading its name from the list: cannot be accessed".
Status NameRereadFailure(const Status& failure, const ListPlace& place);

// "writing out.bin in /home/me/d": an operation on the output `name` in
// `folder`, named by FolderName.
std::string OutputOperation(std::string_view operation, std::string_view name,
                            const std::string& folder);

}  // namespace mirlot

#endif  // MIRLOT_PACKING_FAILURE_DETAIL_H_
