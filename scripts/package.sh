#!/usr/bin/env bash
# Installs what is missing, then builds Mirlot's packages into build/dist/:
#
#   mirlot_VERSION_amd64.deb            the Debian package
#   mirlot-VERSION-windows-i686.zip     32-bit Windows programs to unpack and run
#   mirlot-VERSION-windows-x86_64.zip   the same for 64-bit Windows
#   mirlot-VERSION-win32-setup.exe      32-bit Windows setup program
#   mirlot-VERSION-win64-setup.exe      the same for 64-bit Windows
#
# and checks what it builds: the manual pages with mandoc, the desktop entry
# with desktop-file-validate, the AppStream metadata with appstreamcli, the
# Debian package with lintian (an error fails the script; warnings and
# notes are printed).
set -euo pipefail
cd "$(dirname "$0")/.."

dist=build/dist

log() { echo "package: $*" >&2; }

install_tools() {
  scripts/install-deps.sh dpkg-dev fakeroot file lintian mandoc \
    desktop-file-utils appstream nsis
}

check_sources() {
  log "checking the manual pages, the desktop entry and the AppStream metadata"
  local lint
  lint=$(mandoc -T lint -W warning docs/man/*.1 2>&1) || true
  [ -z "$lint" ] || { echo "$lint" >&2; return 1; }
  desktop-file-validate src/window/mirlot-gui.desktop
  appstreamcli validate --no-net --pedantic src/window/*.metainfo.xml >&2
}

# The Debian package, built with Debian's hardening flags and checked with
# lintian.
build_deb() {
  local build=build/deb
  log "building the Debian package in $build"
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMIRLOT_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
  cmake --build "$build" -j2
  rm -f "$build"/*.deb
  (cd "$build" && cpack -G DEB >/dev/null)
  cp "$build"/mirlot_*_amd64.deb "$dist"/
  local output status=0
  output=$(lintian --display-info --pedantic --fail-on error "$dist"/mirlot_*_amd64.deb 2>&1) || status=$?
  log "lintian (exit status $status):"
  grep -v 'running with root privileges' <<<"$output" >&2 || true
  return "$status"
}

# Both Windows builds (with their tests, as CI builds them) and their ZIPs
# come from scripts/build-windows.sh; the setup programs are made from the
# same install trees.
build_windows() {
  log "building the Windows programs and ZIPs"
  scripts/build-windows.sh
  local arch build
  for arch in i686 x86_64; do
    build=build/windows-$arch
    log "making the setup program in $build"
    rm -f "$build"/mirlot-*-setup.exe
    (cd "$build" && cpack -G NSIS >/dev/null)
    cp "$build"/mirlot-*.zip "$build"/mirlot-*-setup.exe "$dist"/
  done
}

install_tools
check_sources
rm -rf "$dist"
mkdir -p "$dist"
build_deb
build_windows
log "built in $dist:"
ls -l "$dist" >&2
