// The names of the temporary files outputs are written under before they
// are moved into place. Only this program makes such names, so that a run
// can tell leftovers of earlier runs from the user's own files.
#ifndef MIRLOT_RUNTIME_TEMPORARY_NAME_H_
#define MIRLOT_RUNTIME_TEMPORARY_NAME_H_

#include <span>
#include <string>
#include <string_view>

namespace mirlot {

// "." + `final_name` (cut to 200 bytes, so that the whole name stays well
// inside the usual limit of 255 bytes) + ".tmp-" + `suffix`.
std::string TemporaryName(std::string_view final_name, std::string_view suffix);

// Eight random letters and digits, for TemporaryName.
std::string RandomTemporarySuffix();

// Where the former content of a file waits while a temporary file named
// `temporary_name` replaces it, on hosts that cannot swap two names.
std::string SetAsideName(std::string_view temporary_name);

// True when `name` is a TemporaryName for `final_name` with a suffix that
// RandomTemporarySuffix could have made (not its SetAsideName), comparing
// names as the platform does (FileNameKey).
bool IsTemporaryNameOf(std::string_view name, std::string_view final_name);

// IsTemporaryNameOf, or the SetAsideName of such a name.
bool IsTemporaryNameFor(std::string_view name, std::string_view final_name);

// IsTemporaryNameFor with one of `final_names`; a final name that is not a
// plain name (IsPlainName) matches nothing.
bool IsTemporaryNameForAny(std::string_view name,
                           std::span<const std::string_view> final_names);

// True when `name` names the same file (as FileNameKey compares names) as a
// name for which IsTemporaryNameFor holds with some final name.
bool IsTemporaryName(std::string_view name);

}  // namespace mirlot

#endif  // MIRLOT_RUNTIME_TEMPORARY_NAME_H_
