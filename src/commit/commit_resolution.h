// Which files of an interrupted commit belong together, found by their
// content, and putting them back under their names.
#ifndef MIRLOT_COMMIT_COMMIT_RESOLUTION_H_
#define MIRLOT_COMMIT_COMMIT_RESOLUTION_H_

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "format/commit_record_text.h"
#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// The set of files a folder is to be left with: for each move of a record,
// the name that holds the file to keep under its `to` ("" when it is to
// have none).
struct Resolution {
  bool earlier = true;  // the files from before the commit, or the new ones
  std::vector<std::string> kept;
  // For each move, what else its names hold, to be removed: the other
  // version and copies of the kept one.
  std::vector<std::vector<std::string>> removed;
};

// Looks for each move's earlier file and its new one under the names where
// a commit or its undoing leaves them: its `to`, its `from` and the
// set-aside name of `from`. A new file is told by its size and checksum
// (by its size alone in a version 1 record), the earlier one as the other
// regular file there; files of equal content are interchangeable.
// On success returns the earlier files where all of them are there, else
// the new ones where all of those are, else nullopt: which files belong
// together cannot be told. On failure returns the failure to look up or
// read a file.
Result<std::optional<Resolution>> Resolve(Folder& folder,
                                          std::span<const RecordedMove> moves);

// Puts each kept file under its `to`, removes what else the move's names
// hold and syncs the folder's names; then removes the record and syncs
// again. Running it again after a crash of its own finishes the work.
// On success the folder holds the kept files alone and no record. On
// failure returns the failure; the record stays.
Status Settle(Folder& folder, std::span<const RecordedMove> moves,
              const Resolution& resolution);

}  // namespace mirlot

#endif  // MIRLOT_COMMIT_COMMIT_RESOLUTION_H_
