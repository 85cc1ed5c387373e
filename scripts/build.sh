#!/usr/bin/env bash
# Configures and builds one tree, or only the named targets of it:
#   scripts/build.sh DIR [--target NAME]... [cmake options...]
set -euo pipefail
cd "$(dirname "$0")/.."
dir=$1
shift
targets=()
while [ "${1:-}" = --target ]; do
  targets+=(--target "$2")
  shift 2
done
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRLOT_WERROR=ON "$@" >/dev/null
cmake --build "$dir" "${targets[@]}"
