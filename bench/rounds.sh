# The timing both benchmarks share, sourced by bench/run.sh and
# bench/extract.sh. They set `names` (the commands compared), `prepare`
# (run untimed before every timed run), `results` (a folder) and define
# `command_for NAME`.
# shellcheck shell=bash disable=SC2154  # the globals are the sourcing script's

log() { echo "bench: $*" >&2; }

# Builds a release mirlot and the bench helpers from SOURCE into BUILD.
build_release() {
  cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DMIRLOT_BUILD_TESTS=OFF -DMIRLOT_BUILD_GUI=OFF -DMIRLOT_BUILD_BENCH=ON >/dev/null
  cmake --build "$2" -j2 >&2
}

# Runs one interleaved round: every command `runs` times, in an order that
# rotates from round to round. Appends "median min max" (seconds) per
# command to $results/SET.NAME.
time_round() {
  local set=$1 round=$2 runs=$3 i name
  local args=()
  for i in "${!names[@]}"; do
    name=${names[$(((i + round) % ${#names[@]}))]}
    args+=(-n "$name" "$(command_for "$name")")
  done
  hyperfine --style basic --runs "$runs" --prepare "$prepare" \
    --export-csv "$results/round.csv" "${args[@]}" >"$results/hyperfine.log" 2>&1 ||
    { cat "$results/hyperfine.log" >&2; return 1; }
  tail -n +2 "$results/round.csv" |
    while IFS=, read -r name _ _ median _ _ min max; do
      echo "$median $min $max" >>"$results/$set.$name"
    done
}

# Prints "median min max" in milliseconds over all rounds of SET.NAME: the
# median of the round medians, the fastest and the slowest run.
summary_ms() {
  sort -g "$results/$1.$2" |
    awk '{ m[NR] = $1; if (NR == 1 || $2 < lo) lo = $2; if ($3 > hi) hi = $3 }
         END { med = NR % 2 ? m[(NR + 1) / 2] : (m[NR / 2] + m[NR / 2 + 1]) / 2
               printf "%.0f %.0f %.0f\n", med * 1000, lo * 1000, hi * 1000 }'
}

# Makes the folder DIR and generates COUNT members of MIN-MAX bytes (seed
# SEED) and their list in it with the helper built in $build.
make_set() {
  mkdir "$1"
  log "$(basename "$1"): generating $2 members of $3-$4 bytes"
  "$build/bench/mirlot_make_members" "$@"
}

# Times SET in $rounds interleaved rounds, RUNS runs per command each.
time_rounds() {
  local round
  for ((round = 0; round < rounds; round++)); do
    log "$1: round $((round + 1)) of $rounds"
    time_round "$1" "$round" "$2"
  done
}

# Prints a Markdown table's heading: the first cell, then a column per set
# of `sets`, titled from `titles`.
table_head() {
  local set header="| $1 |" rule='| --- |'
  for set in "${sets[@]}"; do
    header+=" ${titles[$set]} |"
    rule+=' --- |'
  done
  echo "$header"
  echo "$rule"
}

# Prints where the runs ran: cores, kernel, the file system under $parent,
# and the load before ($load_before) and after.
host_line() {
  echo "Host: $(nproc) cores, $(uname -sr), $(df -T "$parent" | awk 'NR == 2 { print $2 }') under $parent;"
  echo "load average $load_before before the runs, $(cut -d' ' -f1-3 /proc/loadavg) after."
}
