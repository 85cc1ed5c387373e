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
  # The Qt window does not exist for Windows.
  scripts/build.sh "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-$arch.cmake \
    -DMIRLOT_BUILD_GUI=OFF "$@"
  (cd "$dir" && cpack -G ZIP >/dev/null)
  ls -l "$dir"/mirlot-*-windows-"$arch".zip
done
