// The rule that tells this program's own names from the user's.
#include "runtime/reserved_names.h"

#include <string>

#include "runtime/path.h"
#include "runtime/temporary_name.h"

namespace mirlot {

bool IsReservedName(std::string_view name) {
  const std::string key = FileNameKey(name);
  return key == FileNameKey(kCommitRecordName) ||
         key == FileNameKey(kFolderLockFileName) || IsTemporaryName(name);
}

}  // namespace mirlot
