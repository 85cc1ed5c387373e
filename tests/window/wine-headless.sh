#!/bin/sh
# Runs a Windows program that opens windows under wine without an X server:
#   wine-headless.sh RUNNER... PROGRAM.exe [ARGUMENTS...]
# The runner (cmake/wine-run.sh PREFIX) makes and serves the prefix, with
# wine's display-less graphics driver. The first window starts wine's desktop
# process, which inherits the program's output and outlives it; so the
# output goes through a file, and whoever reads this script's output is not
# kept waiting for that process.
set -eu
output=$(mktemp)
status=0
DISPLAY='' "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
rm -f "$output"
exit "$status"
