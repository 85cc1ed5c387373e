#!/usr/bin/env bash
# Checks that a licence text a package carries (its Debian copyright file,
# the Windows LICENSE.txt) holds the copyright notice and licence of
# xxHash, which the programs compile in, word for word as its header has
# them:
#
#   scripts/check-licenses.sh NAME <TEXT
#
# NAME says in messages which text it is. Words are compared, so that line
# ends, indentation and the copyright format's " ." lines do not count.
# Exits with 1, saying what is missing, when the text lacks either.
set -euo pipefail

name=$1
header=/usr/include/xxhash.h
fail() {
  echo "check-licenses: $name: $*" >&2
  exit 1
}
[ -f "$header" ] || fail "cannot compare with xxHash's licence: no $header (Debian package libxxhash-dev)"

# The words of standard input on one line, each copyright line as
# "Copyright HOLDER", without the copyright format's paragraph marks.
words() {
  sed 's/\r$//; /^ *\.$/d; s/^Copyright: /Copyright /' | tr -s ' \t\n' '  '
}
notice=$(sed -n 's/^ \* Copyright (C) /Copyright /p' "$header" | head -n 1)
license=$(awk '/Redistribution and use/ { on = 1 }
  on { sub(/^ \*/, ""); print }
  /SUCH DAMAGE\./ { exit }' "$header" | words)
[ -n "$notice" ] && [ -n "$license" ] || fail "$header has no copyright notice or licence to compare with"

text=$(words)
grep -qF -- "$notice" <<<"$text" || fail "no xxHash copyright notice '$notice'"
grep -qF -- "$license" <<<"$text" || fail "no xxHash licence as $header has it"
echo "check-licenses: $name holds xxHash's notice and licence" >&2
