// How `mirlot --help` and each command's --help look: lines of at most 80
// columns, names in a column of their own, descriptions wrapped beside them,
// and no type labels. Every command added to the app takes it on.
#ifndef MIRLOT_CLI_HELP_FORMAT_H_
#define MIRLOT_CLI_HELP_FORMAT_H_

#include <CLI/CLI.hpp>
#include <cstddef>
#include <string>

namespace mirlot {

inline constexpr std::size_t kHelpWidth = 80;

// `text` broken at spaces into lines of at most `width` columns (a longer
// word stands alone), each but the first after `indent` spaces, each ended
// by a line end.
std::string WrapText(const std::string& text, std::size_t width,
                     std::size_t indent);

class HelpFormatter : public CLI::Formatter {
 public:
  std::string make_description(const CLI::App* app) const override;
  std::string make_option(const CLI::Option* option,
                          bool is_positional) const override;
  std::string make_option_opts(const CLI::Option* option) const override;
  std::string make_subcommand(const CLI::App* command) const override;
};

}  // namespace mirlot

#endif  // MIRLOT_CLI_HELP_FORMAT_H_
