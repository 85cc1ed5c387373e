#!/usr/bin/env bash
# Peak memory of `mirlot pack` for a list of 1001 names as long as the
# platform takes, each naming the same member, beside a list of one short
# name:
#   bench/peak_memory.sh [MIRLOT [MIRLOT_EXE]]
# MIRLOT (default build/release/src/cli/mirlot) packs lists of 4,065-byte
# names (the whole path stays below 4,096 bytes); MIRLOT_EXE (default
# build/windows-x86_64/src/cli/mirlot.exe, when built) packs lists of
# 96,517-byte names under wine, in the build folder's prefix: 128 times a
# name of 250 three-byte letters and "..", 32,517 UTF-16 units, which
# Windows takes apart by the text alone. Peak memory is the largest
# resident set (GNU time) of the process that runs mirlot: under wine it
# includes wine's own libraries, so the one-name list gives the base to
# compare with. Not part of the suite; it needs about 100 MB of free space
# under /tmp.
set -euo pipefail
cd "$(dirname "$0")/.."
mirlot=${1:-build/release/src/cli/mirlot}
exe=${2:-build/windows-x86_64/src/cli/mirlot.exe}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Writes a list of 1001 copies of $2 to $1.
long_list() {
  awk -v field="$2" 'BEGIN { for (i = 0; i < 1001; i++) print field }' >"$1"
}

# Prints the peak resident set in MiB of the command that follows.
peak() {
  /usr/bin/time -f %M -o "$work/peak" "$@" >/dev/null 2>"$work/err" ||
    { cat "$work/err" >&2; exit 1; }
  awk '{ printf "%.1f MiB\n", $1 / 1024 }' "$work/peak"
}

head -c 200 /dev/urandom >"$work/m.dat"
printf 'm.dat\n' >"$work/one.txt"
dots=$(printf './%.0s' $(seq 2030))
long_list "$work/long.txt" "${dots}m.dat"
echo "Linux, one name:          $(peak "$mirlot" pack -q "$work/one.txt")"
echo "Linux, 1001 x 4065 bytes: $(peak "$mirlot" pack -q "$work/long.txt")"

[ -f "$exe" ] || exit 0
letters=$(printf '\xe4\xb8\x80%.0s' $(seq 250))
up=$(printf "$letters/../%.0s" $(seq 128))
long_list "$work/long.txt" "${up}m.dat"
prefix=$(dirname "$(dirname "$(dirname "$exe")")")/wineprefix
echo "wine, one name:            $(peak cmake/wine-run.sh "$prefix" "$exe" pack -q "$work/one.txt")"
echo "wine, 1001 x 96517 bytes:  $(peak cmake/wine-run.sh "$prefix" "$exe" pack -q "$work/long.txt")"
