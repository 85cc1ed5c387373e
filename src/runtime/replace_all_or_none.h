// The all-or-none order of replacing several outputs, shared by the hosts'
// folders; each host says how it replaces one file, undoes that, and lets
// names where the former content waits.
#ifndef MIRLOT_RUNTIME_REPLACE_ALL_OR_NONE_H_
#define MIRLOT_RUNTIME_REPLACE_ALL_OR_NONE_H_

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "runtime/file_system.h"
#include "runtime/result.h"

namespace mirlot {

// Carries out `replacements` in order through `replace_one`, which returns
// how it replaced one (a `How`); when one fails, those already done are
// undone through `undo_one`, newest first. `former_name` tells where the
// former content of a replacement's `to` waits (nullopt when there was none).
// On success every replacement is made; returns the names of the former
// contents. On failure returns the failing step's failure, every earlier
// step undone.
template <typename How, typename ReplaceOne, typename UndoOne,
          typename FormerName>
Result<std::vector<std::string>> ReplaceAllOrNone(
    std::span<const Replacement> replacements, ReplaceOne replace_one,
    UndoOne undo_one, FormerName former_name) {
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
  std::vector<std::string> formers;
  for (std::size_t i = 0; i < done.size(); ++i) {
    std::optional<std::string> name = former_name(replacements[i], done[i]);
    if (name) formers.push_back(std::move(*name));
  }
  return formers;
}

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_REPLACE_ALL_OR_NONE_H_
