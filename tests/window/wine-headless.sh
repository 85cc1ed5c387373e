#!/bin/sh
# Runs a Windows program that opens windows under wine without an X server:
#   wine-headless.sh WINE-RUN PREFIX PROGRAM.exe [ARGUMENTS...]
# WINE-RUN (cmake/wine-run.sh) makes and serves PREFIX, with wine's
# display-less graphics driver. The first window starts wine's desktop
# process, which inherits the program's output and outlives it; so the
# output goes through a file, and whoever reads this script's output is not
# kept waiting for that process.
set -eu
run=$1
prefix=$2
shift 2

output=$(mktemp)
status=0
DISPLAY='' "$run" "$prefix" "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
rm -f "$output"
exit "$status"
