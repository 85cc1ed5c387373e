// What the window keeps between runs, the same for every toolkit: whether a
// list was chosen and its path, where the chooser opens, which offered paths
// count as a choice, and what Start asks the packing run to do.
#ifndef MIRLOT_WINDOW_LIST_CHOICE_H_
#define MIRLOT_WINDOW_LIST_CHOICE_H_

#include <optional>
#include <string>
#include <vector>

#include "packing/packing_run.h"
#include "runtime/file_system.h"

namespace mirlot {

class ListChoice {
 public:
  bool chosen() const { return chosen_; }
  // The chosen list's full path (UTF-8), "" before any choice.
  const std::string& path() const { return path_; }

  // The folder the chooser opens in: the last chosen list's folder, or ""
  // (the current folder) before any choice.
  std::string ChooserFolder() const;

  // Records a successful choice of the list at `path`.
  void Choose(std::string path);

  // Paths dropped onto the window: exactly one path that is not a folder
  // counts as a choice. Several paths or a folder keep the earlier choice.
  // Returns whether the choice changed.
  bool Offer(const std::vector<std::string>& paths, FileSystem& file_system);

  // The list given to the program (a full path): an existing file that is
  // not a folder becomes the choice. Otherwise the choice stays, and the
  // message that says why is returned ("Cannot choose /d/x.txt as the list:
  // no such file").
  std::optional<std::string> OfferArgument(const std::string& path,
                                           FileSystem& file_system);

  // What Start hands to the packing run.
  RunRequest StartRequest() const {
    return {chosen_ ? std::optional(path_) : std::nullopt};
  }

 private:
  bool chosen_ = false;
  std::string path_;
};

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_LIST_CHOICE_H_
