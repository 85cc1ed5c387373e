#!/bin/sh
# Runs a Windows program under wine in a private prefix:
#   wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# CMake uses it as the emulator of the cross builds, so ctest and test
# discovery run the suites through it.
#
# The first call makes the prefix (about 15 s and 1.3 GB). Every call then
# makes sure the wine server and wine's own services run with their output
# going nowhere: a server or service started by a call whose output is a pipe
# keeps that pipe open, and whoever reads it (ctest, test discovery) waits
# for ever. A lock keeps parallel calls from doing this twice; what starts
# under it must not inherit the lock's descriptor, or the lock lives as long
# as the server.
set -eu
prefix=$1
shift

WINEPREFIX=$prefix
WINEDEBUG=-all
WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -e "$prefix/.mirlot-ready" ]; then
  rm -rf "$prefix"
  wineboot --init </dev/null >/dev/null 2>&1 9>&-
  # Dot-files are ordinary files here, as they are on Windows; wine
  # otherwise reports them hidden.
  wine reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f \
    </dev/null >/dev/null 2>&1 9>&-
  touch "$prefix/.mirlot-ready"
fi
# The services stop a while after the last program ends, even while the
# server stays; a throwaway program starts them again (0.1 s when they run).
wineserver -p30 </dev/null >/dev/null 2>&1 9>&- || true
wine cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&-
exec 9>&-
exec wine "$@"
