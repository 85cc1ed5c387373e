// What the window program makes of its arguments, the same for every
// toolkit and read before any toolkit starts: `mirlot-gui [LIST | IMAGE]`,
// `mirlot-gui --image FILE`, or --help or --version.
#ifndef MIRLOT_WINDOW_WINDOW_ARGUMENTS_H_
#define MIRLOT_WINDOW_WINDOW_ARGUMENTS_H_

#include <string>
#include <string_view>
#include <vector>

namespace mirlot {

struct WindowStart {
  enum class Kind {
    kWindow,      // open the window, with `list` chosen unless it is ""
    kHelp,        // print `text` and end with status 0
    kVersion,     // likewise
    kUsageError,  // print `text` and end with status 2
  };
  Kind kind = Kind::kWindow;
  std::string list;  // the LIST argument as given (it may name an image)
  std::string text;
  std::string image;  // the FILE of --image as given
};

// Reads `arguments` (UTF-8, without the program's name). --help (or -h, or
// "/?" when `slash_help`, as Windows programs are asked) wins over
// everything, then --version; any other option, a toolkit's own (such as
// Qt's -platform) included, a second LIST, or a LIST beside --image is a
// usage error. "--" ends the
// options. `version` goes into the version text ("mirlot-gui 1.0.0").
WindowStart ReadWindowArguments(const std::vector<std::string>& arguments,
                                std::string_view version, bool slash_help);

}  // namespace mirlot

#endif  // MIRLOT_WINDOW_WINDOW_ARGUMENTS_H_
