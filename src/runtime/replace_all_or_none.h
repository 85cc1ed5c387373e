// The all-or-none order of replacing several outputs, shared by the hosts'
// folders; each host says how it replaces one file, undoes that, and lets
// go of the former content.
#ifndef MIRLOT_RUNTIME_REPLACE_ALL_OR_NONE_H_
#define MIRLOT_RUNTIME_REPLACE_ALL_OR_NONE_H_

#include <cstddef>
#include <span>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// Carries out `replacements` in order through `replace_one`, which returns
// how it replaced one (a `How`); when one fails, those already done are
// undone through `undo_one`, newest first. Once all are done, `drop_former`
// removes what each replaced.
// On success every replacement is made. On failure returns the failing
// step's failure, every earlier step undone.
template <typename How, typename ReplaceOne, typename UndoOne,
          typename DropFormer>
Status ReplaceAllOrNone(std::span<const Replacement> replacements,
                        ReplaceOne replace_one, UndoOne undo_one,
                        DropFormer drop_former) {
  std::vector<How> done;
  for (const Replacement& r : replacements) {
    Result<How> how = replace_one(r);
    if (!how.ok()) {
      for (std::size_t i = done.size(); i-- > 0;) {
        undo_one(replacements[i], done[i]);
      }
      return how.status();
    }
    done.push_back(*how);
  }
  // The former contents are no longer needed.
  for (std::size_t i = 0; i < done.size(); ++i) {
    drop_former(replacements[i], done[i]);
  }
  return Status::Ok();
}

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_REPLACE_ALL_OR_NONE_H_
