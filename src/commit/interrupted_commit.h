// What the next command does with the record of a commit that a crash
// interrupted. The record is input like any other file: it is acted on only
// when it is whole, was written by this user or the administrator, and
// names nothing but the folder's outputs and this program's temporary names
// for them; and only by a run that may change the folder, that is, one that
// holds the folder's exclusive lock or the record's own lock (which its
// writer holds while it lives).
#ifndef MIRLOT_COMMIT_INTERRUPTED_COMMIT_H_
#define MIRLOT_COMMIT_INTERRUPTED_COMMIT_H_

#include <map>
#include <span>
#include <string>

#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// What was found and done.
struct Settlement {
  // For a record that names the outputs but could not be acted on: which
  // name holds the file each output would hold once the commit is settled
  // ("" for none). Empty when the outputs' own names are to be read.
  std::map<std::string, std::string> located;
  // One line for the user about a record that was not acted on or was
  // removed unacted ("FOLDER/.mirlot-commit: incomplete, removed"); "" when
  // there is nothing to say.
  std::string note;
  // Why a record is still there and what to do, for a command that cannot
  // go on while it is (pack, which makes a record of its own); "" when no
  // record is left.
  std::string remains;
};

// Settles a commit whose record is left in `folder` (at `folder_path`, for
// what the user is told), whose outputs are named `outputs` (the only names
// a record may move files onto). With `locked`, the caller holds the
// folder's exclusive lock; without it, only a record whose lock can be
// taken is acted on.
// A whole record of ours that may be acted on is rolled back: the earlier
// files are put back (or the new ones kept where an earlier one is gone)
// and the record removed. Any other file of the record's name is removed
// when the record may be acted on, and never followed; nothing it names is
// touched.
// On success returns what became of the record. On failure returns the
// failure, and 75 with what to do when the record is ours but which files
// belong together cannot be told; the record then stays.
Result<Settlement> SettleInterruptedCommit(Folder& folder,
                                           const std::string& folder_path,
                                           std::span<const std::string> outputs,
                                           bool locked);

}  // namespace mirlot

#endif  // MIRLOT_COMMIT_INTERRUPTED_COMMIT_H_
