#!/usr/bin/env bash
# Times the image window's open and draw for an image of 1001 entries whose
# names are each 4,065 bytes long (the whole path stays below 4,096 bytes;
# they all name one member, as in bench/peak_memory.sh):
#   bench/image_window.sh [BUILD [WINDOWS_BUILD]]
# BUILD (default build/bench) is configured with -DMIRLOT_BUILD_BENCH=ON and
# built here; it runs on Qt's offscreen platform. WINDOWS_BUILD, a Windows
# tree configured with -DMIRLOT_BUILD_BENCH=ON and built, times the Win32
# window too, under wine64 in that tree's prefix on the X display of the
# environment (xvfb-run gives one). Not part of the suite.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
cmake -G Ninja -S . -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DMIRLOT_BUILD_BENCH=ON -DMIRLOT_BUILD_TESTS=OFF >/dev/null
ninja -C "$build" mirlot mirlot_image_window_bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
head -c 200 /dev/urandom >"$work/m.dat"
dots=$(printf './%.0s' $(seq 2030))
awk -v field="${dots}m.dat" 'BEGIN { for (i = 0; i < 1001; i++) print field }' \
  >"$work/list.txt"
"$build/src/cli/mirlot" pack -q "$work/list.txt" >/dev/null
echo "report.txt: $(stat -c %s "$work/report.txt") bytes"
# The offscreen platform's note on each window shown is left out.
QT_QPA_PLATFORM=offscreen "$build/bench/mirlot_image_window_bench" \
  "$work/out.bin" "${RUNS:-20}" 2> >(grep -v propagateSizeHints >&2)
if [ -n "${2:-}" ]; then
  echo "Win32 window under wine:"
  WINEPREFIX=$PWD/$2/wineprefix WINEDEBUG=-all /usr/lib/wine/wine64 \
    "$2/bench/mirlot_image_window_bench.exe" "Z:$work/out.bin" "${RUNS:-20}"
fi
