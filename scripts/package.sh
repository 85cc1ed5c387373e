#!/usr/bin/env bash
# Installs what is missing, then builds Mirlot's packages into build/dist/:
#
#   mirlot_VERSION_amd64.deb            the command line (no Qt)
#   mirlot-gui_VERSION_amd64.deb        the window, with its menu entry
#   mirlot-VERSION-windows-i686.zip     32-bit Windows programs to unpack and run
#   mirlot-VERSION-windows-x86_64.zip   the same for 64-bit Windows
#   mirlot-VERSION-win32-setup.exe      32-bit Windows setup program
#   mirlot-VERSION-win64-setup.exe      the same for 64-bit Windows
#
# and checks what it builds, each check failing the script on an error
# (warnings and notes are printed): the manual pages with mandoc, the
# desktop entry with desktop-file-validate, the AppStream metadata with
# appstreamcli, both Debian packages with lintian; that neither the mirlot
# package's dependencies nor the libraries its program links name Qt; that
# each package's copyright file holds xxHash's licence, and that apt
# installs and removes each package leaving nothing behind
# (scripts/check-debs.sh, which needs root and leaves the machine as it
# found it).
set -euo pipefail
cd "$(dirname "$0")/.."

dist=build/dist

log() { echo "package: $*" >&2; }

install_tools() {
  scripts/install-deps.sh dpkg-dev fakeroot file lintian mandoc libglib2.0-bin \
    desktop-file-utils appstream nsis
}

check_sources() {
  log "checking the manual pages, the desktop entry and the AppStream metadata"
  local lint version
  lint=$(mandoc -T lint -W warning docs/man/*.1 2>&1) || true
  [ -z "$lint" ] || { echo "$lint" >&2; return 1; }
  desktop-file-validate src/window/mirlot-gui.desktop
  appstreamcli validate --no-net --pedantic src/window/*.metainfo.xml >&2
  # The changelog's newest entry is the version being packaged.
  version=$(sed -n 's/^project(mirlot VERSION \([^ )]*\).*/\1/p' CMakeLists.txt)
  head -n 1 packaging/debian/changelog | grep -qF "mirlot ($version)" || {
    log "packaging/debian/changelog has no entry for $version at the top"
    return 1
  }
}

# The Debian packages, built with Debian's hardening flags and checked with
# lintian.
build_deb() {
  local build=build/deb deb status=0 output
  log "building the Debian packages in $build"
  export DEB_BUILD_MAINT_OPTIONS=hardening=+all
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMIRLOT_BUILD_TESTS=OFF \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" >/dev/null
  cmake --build "$build" -j2
  rm -f "$build"/*.deb
  (cd "$build" && cpack -G DEB >/dev/null)
  cp "$build"/mirlot_*_amd64.deb "$build"/mirlot-gui_*_amd64.deb "$dist"/
  for deb in "$dist"/*.deb; do
    output=$(lintian --display-info --pedantic --fail-on error "$deb" 2>&1) || status=$?
    log "lintian $(basename "$deb") (exit status $status):"
    grep -v 'running with root privileges' <<<"$output" >&2 || true
    [ "$status" -eq 0 ] || return "$status"
  done
}

# The command line's package works without Qt: a host that has Qt cannot
# show that by installing it, so its dependencies and the libraries its
# program links are read instead.
check_qt_free() {
  local deb tree needed depends
  deb=$(echo "$dist"/mirlot_*_amd64.deb)
  tree=$(mktemp -d)
  dpkg-deb -x "$deb" "$tree"
  needed=$(objdump -p "$tree/usr/bin/mirlot" | awk '$1 == "NEEDED" { print $2 }')
  rm -rf "$tree"
  depends=$(dpkg-deb -f "$deb" Depends)
  log "$(basename "$deb") depends on: $depends; its program links: $(echo $needed)"
  [ -n "$needed" ] || { log "objdump found no linked library in mirlot"; return 1; }
  if grep -qi 'qt' <<<"$depends $needed"; then
    log "$(basename "$deb") needs Qt"
    return 1
  fi
}

# apt install and apt remove of each package (scripts/check-debs.sh); a
# machine that has them installed already is left alone.
check_debs() {
  local status=0
  scripts/check-debs.sh "$dist" || status=$?
  case $status in
  0) ;;
  77) log "apt install and remove: not checked (see above)" ;;
  *) return "$status" ;;
  esac
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
check_qt_free
check_debs
build_windows
log "built in $dist:"
ls -l "$dist" >&2
