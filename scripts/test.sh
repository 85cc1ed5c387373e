#!/usr/bin/env bash
# Installs what is missing, then builds and runs the whole test suite on
# Linux twice, a normal build and one under AddressSanitizer +
# UndefinedBehaviorSanitizer, then on both Windows builds under wine, and
# checks the Windows setup program. scripts/test.sh --linux runs the first
# suite alone (the normal Linux build), installing only what it needs.
#
# Hosts differ in what they can run (cmake/wine-host.sh): where 32-bit
# programs do not run, the 32-bit Windows suites are built but not run and
# the setup program (a 32-bit program) is not checked. The last lines say
# what ran, what passed only when run again, and what was not run and why.
# The exit status is 0 only when everything that ran passed.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_only=false
[ "${1:-}" != --linux ] || linux_only=true
if $linux_only; then
  scripts/install-deps.sh --linux-tests
else
  scripts/install-deps.sh
fi

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

summary=()
say() { summary+=("$*"); }
finish() {
  local status=$?
  [ ${#summary[@]} -eq 0 ] || printf 'test: %s\n' "${summary[@]}" >&2
  [ "$status" -eq 0 ] || echo "test: failed with exit status $status (see above)" >&2
}
trap finish EXIT

# The suites are switched on in each build folder, which scripts/run.sh or
# a build of the programs alone may have configured without them.
scripts/build.sh build/release -DMIRLOT_BUILD_TESTS=ON
ctest --test-dir build/release --output-on-failure -j2
say "Linux: passed"
if $linux_only; then
  say "not run (--linux): the sanitizer build and the Windows builds"
  exit 0
fi

scripts/build.sh build/sanitize -DMIRLOT_BUILD_TESTS=ON -DMIRLOT_SANITIZE=ON \
  -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir build/sanitize --output-on-failure -j2
say "Linux under AddressSanitizer and UndefinedBehaviorSanitizer: passed"

# run_under_wine DIR NAME: runs a Windows build's suites. A test that fails is
# run once more before it counts, as wine itself has been seen to crash a
# test process on a loaded machine; every test that needed that is named, so
# that a fault of ours that shows only now and then is not hidden.
run_under_wine() {
  local dir=$1 name=$2 failed
  if ctest --test-dir "$dir" --output-on-failure -j2; then
    say "$name: passed"
    return
  fi
  failed=$(cut -d: -f2- "$dir/Testing/Temporary/LastTestsFailed.log" | paste -sd, | sed 's/,/, /g')
  echo "test: $name: running again what failed: $failed" >&2
  ctest --test-dir "$dir" --output-on-failure --rerun-failed
  say "$name: passed, but these failed once and passed when run again: $failed"
}

scripts/build-windows.sh -DMIRLOT_BUILD_TESTS=ON
for arch in i686 x86_64; do
  name="Windows $arch under wine"
  if [ "$arch" = i686 ] && ! reason=$(cmake/wine-host.sh runs-32-bit); then
    say "$name: built, not run: $reason"
    continue
  fi
  run_under_wine "build/windows-$arch" "$name"
done

# The Windows setup program (scripts/check-installer.sh): made from the
# 64-bit build, its installer script and programs checked, installed
# silently under wine, checked file by file with its shortcuts and registry
# entries, uninstalled, and checked that nothing is left. It says why when
# this host cannot run it (status 77, after the checks that need no wine).
status=0
scripts/check-installer.sh build/windows-x86_64 || status=$?
case $status in
0) say "Windows setup program: passed" ;;
77) say "Windows setup program: made, its script and programs checked, not run: it is a 32-bit program, and $(cmake/wine-host.sh runs-32-bit)" ;;
*) exit "$status" ;;
esac

# Wine's server stays 30 s after the last test, then writes its registry
# into the prefix; wait for that, so that nothing runs on and the build
# folders can be removed at once.
for arch in i686 x86_64; do
  prefix=$PWD/build/windows-$arch/wineprefix
  [ ! -d "$prefix" ] || WINEPREFIX=$prefix wineserver -w
done
