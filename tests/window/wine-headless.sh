#!/bin/sh
# Runs a Windows program that opens windows under wine without an X server:
#   wine-headless.sh WINE-RUN PREFIX PROGRAM.exe [ARGUMENTS...]
# WINE-RUN (cmake/wine-run.sh) makes and serves PREFIX; the first call here
# then switches the prefix to wine's display-less graphics driver and
# restarts its server, which takes the driver only when it starts.
# The first window starts wine's desktop process, which inherits the
# program's output and outlives it; so the output goes through a file, and
# whoever reads this script's output is not kept waiting for that process.
set -eu
run=$1
prefix=$2
shift 2

mkdir -p "$(dirname "$prefix")"
exec 8>"$prefix.headless-lock"
flock 8
if [ ! -e "$prefix/.mirlot-headless" ]; then
  "$run" "$prefix" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null \
    /f </dev/null >/dev/null 2>&1 8>&-
  WINEPREFIX=$prefix wineserver -k </dev/null >/dev/null 2>&1 || true
  WINEPREFIX=$prefix wineserver -w </dev/null >/dev/null 2>&1 || true
  touch "$prefix/.mirlot-headless"
fi
exec 8>&-
output=$(mktemp)
status=0
DISPLAY='' "$run" "$prefix" "$@" >"$output" 2>&1 </dev/null || status=$?
cat "$output"
rm -f "$output"
exit "$status"
