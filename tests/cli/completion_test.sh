#!/usr/bin/env bash
# mirlot's bash completion against the program's own help, driven through
# the variables bash sets for a completion function (COMP_WORDS, COMP_CWORD,
# COMP_LINE, COMP_POINT): after `mirlot` it offers exactly the commands and
# options that `mirlot --help` lists, after each command exactly the options
# that command's --help lists, files where LIST and IMAGE go and folders
# after -o; every help fits 80 columns, names no value type and gives
# the command's exit statuses. The help is read by what it names (option names start with '-',
# commands are listed under a heading ending in "ommands:"), not by its
# layout, so rewording or rewrapping it changes nothing here.
#
#   completion_test.sh MIRLOT COMPLETION_SCRIPT
set -uo pipefail

mirlot=$1
library=/usr/share/bash-completion/bash_completion
if [ ! -r "$library" ]; then
  echo "FAIL: $library is missing: install bash-completion (scripts/install-deps.sh)"
  exit 1
fi
# shellcheck source=/dev/null
source "$library"
# shellcheck source=/dev/null
source "$2"

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# offered LINE: what the completion offers with the cursor at the end of
# LINE, one per line, sorted. Words are split at blanks, as bash does for
# the lines used here.
offered() {
  local -a COMP_WORDS
  local COMP_CWORD COMP_LINE=$1 COMP_POINT=${#1}
  read -ra COMP_WORDS <<<"$1"
  [[ $1 == *' ' ]] && COMP_WORDS+=('')
  COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
  COMPREPLY=()
  _mirlot mirlot "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
  [ ${#COMPREPLY[@]} -eq 0 ] || printf '%s\n' "${COMPREPLY[@]}" | sort
}

# Option names on the help's lines that start with '-': the words up to the
# first one that is neither a name nor a value placeholder ending in a
# comma ("-o DIR, --output DIR"), split at commas, without "=VALUE".
options_in() {
  awk '$1 ~ /^-/ {
    for (i = 1; i <= NF; i++) {
      if ($i !~ /^-/) { if ($i ~ /,$/) continue; else break }
      count = split($i, names, ",")
      for (j = 1; j <= count; j++) {
        name = names[j]
        sub(/[=\[].*/, "", name)
        if (name ~ /^--?[A-Za-z0-9?][-A-Za-z0-9]*$/) print name
      }
    }
  }' | sort -u
}

# Command names: the first word of each line under a heading that ends in
# "ommands:" ("Commands:", "Subcommands:"), at the indentation of the first
# such line; the list ends at a blank or unindented line.
commands_in() {
  awk '/^[A-Za-z][A-Za-z ]*ommands:[ \t]*$/ { inside = 1; indent = -1; next }
    inside && (NF == 0 || /^[^ \t]/) { inside = 0 }
    inside {
      match($0, /^[ \t]*/)
      if (indent < 0) indent = RLENGTH
      if (RLENGTH == indent && $1 ~ /^[a-z][-a-z0-9]*$/) print $1
    }' | sort -u
}

# expect WHAT LINE EXPECTED: completing LINE offers exactly EXPECTED.
expect() {
  local got
  got=$(offered "$2")
  [ "$got" = "$3" ] || fail "$1: '$2' offered [$(echo $got)], expected [$(echo $3)]"
}

help=$("$mirlot" --help) || fail "mirlot --help exited with $?"
commands=$(commands_in <<<"$help")
[ -n "$commands" ] || fail "no commands found in mirlot --help:"$'\n'"$help"
expect "the commands of mirlot --help" "mirlot " "$commands"
expect "the options of mirlot --help" "mirlot -" "$(options_in <<<"$help")"
for command in $commands; do
  command_help=$("$mirlot" "$command" --help) ||
    fail "mirlot $command --help exited with $?"
  options=$(options_in <<<"$command_help")
  [ -n "$options" ] || fail "no options found in mirlot $command --help"
  expect "the options of mirlot $command --help" "mirlot $command -" "$options"
  expect "options after a path" "mirlot $command path -" "$options"
  # Read on an 80-column terminal, with the exit statuses, without the
  # parser's type labels.
  wide=$(awk 'length > 80' <<<"$command_help")
  [ -z "$wide" ] || fail "mirlot $command --help is wider than 80: $wide"
  # shellcheck disable=SC2086 # joined into one line, however wrapped
  grep -q 'Exit status: 0' <<<"$(echo $command_help)" ||
    fail "mirlot $command --help does not give the exit statuses"
  ! grep -Eq ' (TEXT|INT|UINT|FLOAT|BOOLEAN)( |$)' <<<"$command_help" ||
    fail "mirlot $command --help shows a type label"
done
[ -z "$(awk 'length > 80' <<<"$help")" ] || fail "mirlot --help is wider than 80"

# Paths: files and folders for LIST and IMAGE, folders alone after -o.
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cd "$folder" || exit 1
mkdir lists
touch list.txt out.bin
expect "files for LIST" "mirlot pack " $'list.txt\nlists\nout.bin'
expect "files for LIST, started" "mirlot pack li" $'list.txt\nlists'
expect "files for IMAGE" "mirlot inspect --json o" "out.bin"
expect "files for IMAGE of extract" "mirlot extract " $'list.txt\nlists\nout.bin'
expect "folders after -o" "mirlot extract out.bin -o " "lists"
expect "folders after --output" "mirlot extract --output l" "lists"
expect "an unknown command offers nothing" "mirlot packs " ""

if [ "$failures" -ne 0 ]; then
  echo "$failures failed"
  exit 1
fi
echo "bash completion: commands, options and paths as the help lists them"
