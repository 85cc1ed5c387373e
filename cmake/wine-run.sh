#!/bin/sh
# Runs a Windows program under wine in a private prefix:
#   wine-run.sh PREFIX PROGRAM.exe [ARGUMENTS...]
# CMake uses it as the emulator of the cross builds, so ctest and test
# discovery run the suites through it.
#
# The first call makes the prefix (about 15 s and 1.3 GB): dot-files are
# ordinary files there, as on Windows, and windows go to wine's display-less
# graphics driver, so that no X server is needed. What wine prints while it
# does so goes to PREFIX.log; if making the prefix fails twice, or the prefix
# cannot start a program, that log and the free space are printed.
#
# Every call then makes sure the wine server and wine's own services run with
# their output going nowhere: a server or service started by a call whose
# output is a pipe keeps that pipe open, and whoever reads it (ctest, test
# discovery) waits for ever. A lock keeps parallel calls from doing this
# twice; what starts under it must not inherit the lock's descriptor, or the
# lock lives as long as the server.
#
# Programs start through the loader that wine-host.sh names for them; a
# 32-bit program on a host that cannot run one fails at once, saying so.
set -eu
prefix=$(realpath -m "$1")
shift
host=$(dirname "$0")/wine-host.sh
# The loader of the prefix's own programs, and of the program to run.
wine=$("$host" loader)
loader=$("$host" loader "$1") || {
  echo "wine-run.sh: $loader" >&2
  exit 1
}

WINEPREFIX=$prefix
# Wine's messages stay off but for its loader's errors: without them a
# program that cannot be loaded ends with status 53 and says nothing.
WINEDEBUG=-all,err+module
# No .NET or browser engine to install, no debugger window, and no menu
# entries on the host for the shortcuts a program makes.
WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d;winemenubuilder.exe=d"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
log=$prefix.log

# quiet COMMAND...: runs a setup command with no terminal, its output and
# wine's errors appended to the log.
quiet() {
  echo "+ $*" >>"$log"
  WINEDEBUG=err+all "$@" </dev/null >>"$log" 2>&1 9>&-
}

# stop_server: ends the prefix's server and waits for it, so that a prefix
# made again at the same path never meets the old one's server.
stop_server() {
  wineserver -k </dev/null >/dev/null 2>&1 9>&- || true
  wineserver -w </dev/null >/dev/null 2>&1 9>&- || true
}

make_prefix() {
  stop_server
  rm -rf "$prefix"
  quiet "$wine" wineboot --init &&
    quiet "$wine" reg add 'HKCU\Software\Wine' /v ShowDotFiles /d Y /f &&
    quiet "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f &&
    stop_server &&
    touch "$prefix/.mirlot-ready"
}

give_up() {
  {
    echo "wine-run.sh: $1; what wine printed ($log):"
    tail -n 40 "$log"
    df -h "$(dirname "$prefix")"
  } >&2
  exit 1
}

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
if [ ! -e "$prefix/.mirlot-ready" ]; then
  : >"$log"
  make_prefix || make_prefix || give_up "could not make the wine prefix $prefix"
fi
# The services stop a while after the last program ends, even while the
# server stays; a throwaway program starts them again (0.1 s when they run).
wineserver -p30 </dev/null >/dev/null 2>&1 9>&- || true
"$wine" cmd /c exit 0 </dev/null >/dev/null 2>&1 9>&- ||
  quiet "$wine" cmd /c exit 0 ||
  give_up "the wine prefix $prefix cannot start cmd.exe"
exec 9>&-
exec "$loader" "$@"
