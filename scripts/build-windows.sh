#!/usr/bin/env bash
# Installs what is missing, then cross-builds Mirlot and its tests for
# 32-bit and 64-bit Windows into build/windows-i686 and build/windows-x86_64
# and makes a zip per architecture there (mirlot-VERSION-windows-ARCH.zip).
# Extra arguments go to cmake: scripts/build-windows.sh -DOPTION=VALUE
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

for arch in i686 x86_64; do
  dir=build/windows-$arch
  # The toolchain is read only when a folder is first configured; given
  # again, cmake warns that it went unused.
  toolchain=()
  [ -f "$dir/CMakeCache.txt" ] ||
    toolchain=(-DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-$arch.cmake)
  scripts/build.sh "$dir" "${toolchain[@]}" "$@"
  (cd "$dir" && cpack -G ZIP >/dev/null)
  ls -l "$dir"/mirlot-*-windows-"$arch".zip
done
