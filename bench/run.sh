#!/usr/bin/env bash
# Times `mirlot pack` against `cat members > file` and `tar cf` on three
# generated data sets and prints a Markdown table: for each command the
# median wall time with the fastest and slowest run, then the ratio of the
# medians to `cat members > file; sync -d file` (the durability floor: the
# time the disk needs for the bytes that `mirlot pack` also syncs), then the
# ratio to `cat`. Also prints mirlot's peak resident memory per set and the
# time of the list stage on 1001 members.
#
#   bench/run.sh
#
# Environment:
#   ROUNDS     interleaved rounds per data set (default 3)
#   SETS       the data sets to measure, of big, huge and small (default all
#              three; `ROUNDS=1 SETS=small` is a quick check of the script)
#   BENCH_DIR  where the temporary data folder goes (default $TMPDIR or
#              /tmp); put it on the disk you want to measure
#
# Every timed run starts from the same state (untimed): what earlier runs
# left dirty is synced, their outputs are removed and the removal is synced
# too, so that no run pays for another's write-back or freeing. The removal
# comes last on purpose: virtual machines that hand freed memory back to
# their host after a second or two make the next touch of it several times
# slower, and the run then starts on memory freed just before. Needs about
# 4 GiB of free space and page cache; takes two to three minutes.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=bench/rounds.sh
. bench/rounds.sh

rounds=${ROUNDS:-3}
read -r -a sets <<<"${SETS:-big huge small}"
for set in "${sets[@]}"; do
  case $set in
    big | huge | small) ;;
    *) echo "bench: unknown set '$set' (big, huge or small)" >&2; exit 2 ;;
  esac
done
parent=${BENCH_DIR:-${TMPDIR:-/tmp}}
build=$PWD/build/bench
mirlot=$build/src/cli/mirlot

install_tools() {
  scripts/install-deps.sh hyperfine time eatmydata
}

# The commands compared, by name. Each writes its own output in the set's
# folder; `prepare` removes them all before every timed run.
names=(cat-sync cat tar mirlot mirlot-nosync)
# shellcheck disable=SC2016  # the back quotes are Markdown, not commands
declare -A labels=(
  [cat]='`cat members > file`'
  [tar]='`tar cf`'
  [mirlot]='`mirlot pack`'
  [mirlot-nosync]='`mirlot pack`, fdatasync off (eatmydata)'
  [cat-sync]='`cat members > file; sync -d file`'
)
prepare='sync; rm -f out.bin report.txt cat.out tar.out; sync'

command_for() {
  case $1 in
    cat) echo 'cat m* > cat.out' ;;
    tar) echo 'tar cf tar.out m*' ;;
    mirlot) echo "$mirlot pack list.txt >/dev/null" ;;
    mirlot-nosync) echo "eatmydata $mirlot pack list.txt >/dev/null" ;;
    cat-sync) echo 'cat m* > cat.out && sync -d cat.out' ;;
  esac
}

# Generates a set, measures it and removes it again.
bench_set() {
  local set=$1 count=$2 min=$3 max=$4 seed=$5 runs=$6
  local dir=$work/$set
  make_set "$dir" "$count" "$min" "$max" "$seed"
  cd "$dir"
  cat m* >/dev/null
  "$mirlot" pack list.txt >/dev/null
  rss[$set]=$(/usr/bin/time -v "$mirlot" pack list.txt 2>&1 >/dev/null |
    awk '/Maximum resident set size/ { printf "%.1f", $NF / 1024 }')
  if [ "$set" = small ]; then
    list_stage=$("$build/bench/mirlot_list_stage_bench" list.txt 50)
  fi
  time_rounds "$set" "$runs"
  cd "$work"
  rm -rf "$dir"
}

print_table() {
  local set name rss_row="| \`mirlot pack\` peak RSS |"
  for set in "${sets[@]}"; do rss_row+=" ${rss[$set]} MiB |"; done
  table_head command
  for name in "${names[@]}"; do
    local row="| ${labels[$name]} |"
    for set in "${sets[@]}"; do
      read -r med lo hi <<<"$(summary_ms "$set" "$name")"
      read -r floor _ _ <<<"$(summary_ms "$set" cat-sync)"
      read -r ref _ _ <<<"$(summary_ms "$set" cat)"
      row+=" $(awk -v m="$med" -v lo="$lo" -v hi="$hi" -v f="$floor" -v r="$ref" \
        'BEGIN { printf "%d ms (%d-%d) **%.2f** / %.2f", m, lo, hi, m / f, m / r }') |"
    done
    echo "$row"
  done
  echo "$rss_row"
  echo
  echo "Median wall time (fastest-slowest run), then the ratio of the medians to"
  echo "**\`cat members > file; sync -d file\`** (the durability floor), then to"
  echo "\`cat members > file\`; $rounds interleaved rounds, 1 run per command per"
  echo "round on the large sets and 5 on the small one."
  [ -z "$list_stage" ] || echo "List stage: $list_stage."
  host_line
}

install_tools
log "building a release mirlot in $build"
build_release . "$build"
work=$(realpath "$(mktemp -d "$parent/mirlot-bench.XXXXXX")")
trap 'rm -rf "$work"' EXIT
trap 'exit 130' INT TERM
results=$work/results
mkdir "$results"
declare -A rss
list_stage=
load_before=$(cut -d' ' -f1-3 /proc/loadavg)

declare -A titles=(
  [big]='1001 members of 1 MiB'
  [huge]='10 members of 150 MiB'
  [small]='1001 members of 100-2000 B'
)
for set in "${sets[@]}"; do
  case $set in
    big) bench_set big 1001 1048576 1048576 1 1 ;;
    huge) bench_set huge 10 157286400 157286400 2 1 ;;
    small) bench_set small 1001 100 2000 3 5 ;;
  esac
done
print_table
