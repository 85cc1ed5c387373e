#!/usr/bin/env bash
# Runs the mirlot binary on a scratch folder: packs three members, inspects
# and extracts the image, damages it, and extracts an image whose report
# names files outside the target folder.
# Usage: inspect_extract_end_to_end.sh path/to/mirlot
set -uo pipefail
mirlot=$1
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
failures=0

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect_status STATUS COMMAND...: runs COMMAND, output in $dir/stdout and
# $dir/stderr, and checks its exit status.
expect_status() {
  local want=$1
  shift
  "$@" >"$dir/stdout" 2>"$dir/stderr"
  local got=$?
  [ "$got" -eq "$want" ] || fail "$* exited $got, not $want: $(cat "$dir/stderr")"
}

# Members of 54, 1054 and 300 bytes: payloads of 0, 1000 and 246 bytes.
mkdir "$dir/sub"
seq 1 100000 | head -c 54 >"$dir/empty.dat"
seq 7 100000 | head -c 1054 >"$dir/with space.dat"
seq 500 100000 | head -c 300 >"$dir/sub/c.dat"
printf 'empty.dat\r\nwith space.dat\r\nsub/c.dat\r\n' >"$dir/list.txt"
expect_status 0 "$mirlot" pack "$dir/list.txt"

expect_status 0 "$mirlot" inspect "$dir/out.bin"
cat >"$dir/expected" <<END
$dir/out.bin: 1270 bytes, 3 entries
names: from $dir/report.txt
    #      offset      length  name
    1          24           0  empty.dat
    2          24        1000  with space.dat
    3        1024         246  sub/c.dat
sound
END
diff "$dir/expected" "$dir/stdout" >&2 || fail "inspect output differs"

expect_status 0 "$mirlot" inspect --json "$dir/out.bin"
grep -qF '{"number": 3, "offset": 1024, "length": 246, "name": "sub/c.dat"}' \
  "$dir/stdout" || fail "inspect --json lacks entry 3"
grep -qF '"sound": true,' "$dir/stdout" || fail "inspect --json not sound"

expect_status 0 "$mirlot" extract "$dir/out.bin"
for member in empty.dat "with space.dat" sub/c.dat; do
  size=$(stat -c %s "$dir/$member")
  tail -c +51 "$dir/$member" | head -c $((size - 54)) >"$dir/payload"
  cmp "$dir/payload" "$dir/out/$(basename "$member")" ||
    fail "extracted $member differs"
done
expect_status 1 "$mirlot" extract "$dir/out.bin"
grep -qF "$dir/out/empty.dat and 2 more files exist already; nothing extracted" "$dir/stderr" || fail "no refusal of existing files"
expect_status 0 "$mirlot" extract --force "$dir/out.bin"

printf 'x' >>"$dir/out.bin"
expect_status 1 "$mirlot" inspect "$dir/out.bin"
grep -qF "entry 3: the last payload ends at 1270, 1 byte before the end of the file: trailing bytes" \
  "$dir/stdout" || fail "trailing byte not named"
expect_status 1 "$mirlot" extract -o "$dir/refused" "$dir/out.bin"
[ ! -e "$dir/refused" ] || fail "unsound image extracted"

expect_status 2 "$mirlot" inspect "$dir/missing.bin"
expect_status 2 "$mirlot" extract "$dir/missing.bin"
expect_status 2 "$mirlot" inspect
expect_status 2 "$mirlot" extract "$dir/out.bin" --bogus

# Three one-byte entries whose report names ../../escape, /etc/passwd and ""
# and a fourth that repeats the first name.
mkdir -p "$dir/h/deep"
printf '\0\0\0\x20\0\0\0\x01\0\0\0\x21\0\0\0\x01\0\0\0\x22\0\0\0\x01\0\0\0\x23\0\0\0\x01WXYZ' \
  >"$dir/h/deep/out.bin"
printf '%s\r\n' '#,            Name,          Offset,       Size' \
  ' 1            ../../escape  32            1' \
  ' 2            /etc/passwd   33            1' \
  ' 3                          34            1' \
  ' 4            a/escape      35            1' >"$dir/h/deep/report.txt"
expect_status 0 "$mirlot" extract -o "$dir/h/deep/x" "$dir/h/deep/out.bin"
(cd "$dir/h" && find . -type f | sort) >"$dir/found"
printf '%s\n' ./deep/out.bin ./deep/report.txt ./deep/x/entry-0003.bin \
  ./deep/x/entry-0004.bin ./deep/x/escape ./deep/x/passwd >"$dir/expected"
diff "$dir/expected" "$dir/found" >&2 || fail "hostile names escaped"

[ "$failures" -eq 0 ]
