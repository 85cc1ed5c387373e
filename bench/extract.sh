#!/usr/bin/env bash
# Times `mirlot extract` against `tar xf` of the same files followed by one
# `sync -f` (the durability floor: extract's files survive a power cut once
# it says so), and against the extract of an earlier revision built in the
# same run, on two generated images: 1001 payloads of 100-2000 bytes and
# 300 payloads of about 1 MiB. Prints a Markdown table: for each command the
# median wall time with the fastest and slowest run, and the ratio of the
# medians to the tar row.
#
#   bench/extract.sh
#
# Environment:
#   ROUNDS     interleaved rounds per image (default 5)
#   SETS       the images to measure, of small and big (default both)
#   EARLIER    the revision whose extract is timed beside this one
#              (default main)
#   BENCH_DIR  where the temporary data folder goes (default $TMPDIR or
#              /tmp); put it on the disk you want to measure
#
# Every timed run starts from the same state (untimed): the previous run's
# folder is removed and everything is synced, so that no run pays for
# another's write-back. Needs about 1 GiB of free space; takes a few
# minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/rounds.sh
. bench/rounds.sh

rounds=${ROUNDS:-5}
earlier=${EARLIER:-main}
read -r -a sets <<<"${SETS:-small big}"
for set in "${sets[@]}"; do
  case $set in
    small | big) ;;
    *) echo "bench: unknown set '$set' (small or big)" >&2; exit 2 ;;
  esac
done
parent=${BENCH_DIR:-${TMPDIR:-/tmp}}
build=$PWD/build/bench
mirlot=$build/src/cli/mirlot

build_both() {
  scripts/install-deps.sh hyperfine
  log "building a release mirlot in $build"
  build_release . "$build"
  earlier_build=$work/earlier-build
  log "building the release mirlot of $earlier in $earlier_build"
  local source=$work/earlier-source
  git worktree add --detach "$source" "$earlier" >/dev/null 2>&1
  build_release "$source" "$earlier_build"
  git worktree remove --force "$source"
  earlier_label="$earlier ($(git rev-parse --short "$earlier"))"
}

names=(tar mirlot earlier)
prepare='sync; rm -rf x; sync'

command_for() {
  case $1 in
    tar) echo 'mkdir x && tar xf set.tar -C x && sync -f x' ;;
    mirlot) echo "$mirlot extract out.bin -o x >/dev/null" ;;
    earlier) echo "$earlier_build/src/cli/mirlot extract out.bin -o x >/dev/null" ;;
  esac
}

# Packs a generated set into out.bin, extracts it once for the tar of the
# same files, measures and removes it again.
bench_set() {
  local set=$1 count=$2 min=$3 max=$4 seed=$5 runs=$6
  local dir=$work/$set
  make_set "$dir" "$count" "$min" "$max" "$seed"
  cd "$dir"
  "$mirlot" pack list.txt >/dev/null
  "$mirlot" extract out.bin -o x >/dev/null
  tar cf set.tar -C x .
  rm -rf x m*
  time_rounds "$set" "$runs"
  cd "$work"
  rm -rf "$dir"
}

print_table() {
  local set name
  table_head command
  for name in "${names[@]}"; do
    local row="| ${labels[$name]} |"
    for set in "${sets[@]}"; do
      read -r med lo hi <<<"$(summary_ms "$set" "$name")"
      read -r floor _ _ <<<"$(summary_ms "$set" tar)"
      row+=" $(awk -v m="$med" -v lo="$lo" -v hi="$hi" -v f="$floor" \
        'BEGIN { printf "%d ms (%d-%d) **%.2f**", m, lo, hi, m / f }') |"
    done
    echo "$row"
  done
  echo
  echo "Median wall time (fastest-slowest run), then the ratio of the medians to"
  echo "\`tar xf\` followed by \`sync -f\`; $rounds interleaved rounds, 5 runs per"
  echo "command per round on the small image and 3 on the big one."
  host_line
}

work=$(realpath "$(mktemp -d "$parent/mirlot-extract-bench.XXXXXX")")
repo=$PWD
trap 'rm -rf "$work"; git -C "$repo" worktree prune' EXIT
trap 'exit 130' INT TERM
results=$work/results
mkdir "$results"
build_both
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

# shellcheck disable=SC2016  # the back quotes are Markdown, not commands
declare -A labels=(
  [tar]='`tar xf`, then `sync -f`'
  [mirlot]='`mirlot extract`'
  [earlier]="\`mirlot extract\` of $earlier_label"
)
declare -A titles=(
  [small]='1001 payloads of 100-2000 B'
  [big]='300 payloads of about 1 MiB'
)
for set in "${sets[@]}"; do
  case $set in
    small) bench_set small 1001 154 2054 3 5 ;;
    big) bench_set big 300 1000054 1100054 4 3 ;;
  esac
done
print_table
