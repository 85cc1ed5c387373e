#!/bin/sh
# What this host can run under wine, found by starting wine's 32-bit loader
# (an i386 program), never guessed from the kernel or the machine's name.
# Some hosts of ours run 32-bit programs and some do not, and the scripts
# that run Windows programs ask here:
#
#   wine-host.sh runs-32-bit      exit 0 when 32-bit programs run here;
#                                 otherwise print why (one line), exit 1
#   wine-host.sh loader [PROGRAM] print the wine loader to start PROGRAM
#                                 with (a .exe file, or a program of the
#                                 prefix such as cmd); a 32-bit PROGRAM that
#                                 this host cannot run: print why, exit 1
#
# Where 32-bit programs run, Debian's wine wrapper starts every program, as
# it picks the 32-bit loader that also starts 64-bit ones. Where they do not,
# that wrapper still picks the 32-bit loader when wine32 is installed, so
# 64-bit programs go to the 64-bit loader directly.
set -eu
wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64

# Prints why 32-bit programs do not run here, or nothing when they do.
why_not_32_bit() {
  if [ ! -e "$wine32" ]; then
    echo "this host has no 32-bit wine ($wine32, package wine32:i386)"
    return
  fi
  output=$("$wine32" --version 2>&1 </dev/null) && return
  # The shell's own words end its message: "...: Exec format error".
  reason=$(printf '%s\n' "$output" | tail -n 1 | sed 's/.*: //')
  echo "this host cannot run 32-bit programs (${reason:-$wine32 failed})"
}

# Exit 0 when PROGRAM is a 32-bit Windows program: its PE header's machine
# field is i386 (0x14c). Programs named without a file are the prefix's own.
is_32_bit_program() {
  [ -f "$1" ] || return 1
  pe=$(od -A n -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  machine=$(od -A n -t x2 -j $((pe + 4)) -N 2 "$1" | tr -d ' ')
  [ "$machine" = 014c ]
}

case ${1:-} in
runs-32-bit)
  reason=$(why_not_32_bit)
  [ -z "$reason" ] || { echo "$reason"; exit 1; }
  ;;
loader)
  reason=$(why_not_32_bit)
  if [ -z "$reason" ]; then
    echo wine
  elif [ $# -ge 2 ] && is_32_bit_program "$2"; then
    echo "$2 is a 32-bit program, and $reason"
    exit 1
  else
    echo "$wine64"
  fi
  ;;
*)
  echo "usage: wine-host.sh runs-32-bit | loader [PROGRAM]" >&2
  exit 2
  ;;
esac
