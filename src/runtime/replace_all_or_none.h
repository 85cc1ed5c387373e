// The all-or-none order of replacing several outputs, shared by the hosts'
// file systems; each host says how it replaces one file and undoes that.
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
// undone through `undo_one`, newest first.
// On success returns how each was replaced, in order. On failure returns the
// failing step's failure, every earlier step undone.
template <typename How, typename ReplaceOne, typename UndoOne>
Result<std::vector<How>> ReplaceAllOrNone(
    std::span<const Replacement> replacements, ReplaceOne replace_one,
    UndoOne undo_one) {
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
  return done;
}

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_REPLACE_ALL_OR_NONE_H_
