#include "cli/help_format.h"

#include <sstream>

namespace mirlot {

namespace {

// Where descriptions start, beside the names.
constexpr std::size_t kNameColumn = 30;

// "  NAME" and its description beside it, from the name column on; a name
// too long for its column has the description start on the next line.
std::string Entry(const std::string& name, const std::string& description) {
  std::string line = "  " + name;
  if (description.empty()) return line + "\n";
  if (line.size() + 1 > kNameColumn) {
    line += "\n";
    line.append(kNameColumn, ' ');
  } else {
    line.append(kNameColumn - line.size(), ' ');
  }
  return line + WrapText(description, kHelpWidth - kNameColumn, kNameColumn);
}

}  // namespace

std::string WrapText(const std::string& text, std::size_t width,
                     std::size_t indent) {
  std::istringstream words(text);
  std::string out, line;
  for (std::string word; words >> word;) {
    if (!line.empty() && line.size() + 1 + word.size() > width) {
      out += line + "\n" + std::string(indent, ' ');
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
  }
  return out + line + "\n";
}

std::string HelpFormatter::make_description(const CLI::App* app) const {
  const std::string& description = app->get_description();
  return description.empty() ? "" : WrapText(description, kHelpWidth, 0);
}

std::string HelpFormatter::make_option(const CLI::Option* option,
                                       bool is_positional) const {
  return Entry(make_option_name(option, is_positional) +
                   (is_positional ? "" : make_option_opts(option)),
               make_option_desc(option));
}

// The value's placeholder the command names ("-o DIR"), else VALUE for an
// option that takes one: never the parser's type labels.
std::string HelpFormatter::make_option_opts(const CLI::Option* option) const {
  const std::string& text = option->get_option_text();
  if (!text.empty()) return " " + text;
  return option->get_type_name().empty() ? "" : " VALUE";
}

std::string HelpFormatter::make_subcommand(const CLI::App* command) const {
  return Entry(command->get_display_name(), command->get_description());
}

}  // namespace mirlot
