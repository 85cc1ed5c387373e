#!/usr/bin/env bash
# Builds the list-reader fuzz target with clang and runs it:
#   fuzz/run-list-fuzzer.sh SECONDS [libFuzzer options...]
# The build lives in build/fuzz; the growing corpus in build/fuzz/corpus,
# seeded from fuzz/seeds; crash inputs land in build/fuzz/artifacts.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run-list-fuzzer.sh SECONDS [libFuzzer options...]}
shift
dir=build/fuzz

# The fuzzer needs clang and its runtime, which the normal build does not.
missing=()
for package in clang-14 libclang-rt-14-dev; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" ||
    missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=()
  [ "$(id -u)" -ne 0 ] && sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq \
    --no-install-recommends "${missing[@]}" >/dev/null
fi
scripts/install-deps.sh
CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRLOT_FUZZ=ON -DMIRLOT_BUILD_TESTS=OFF -DMIRLOT_BUILD_GUI=OFF \
  >/dev/null
cmake --build "$dir" --target list_reader_fuzzer
mkdir -p "$dir/corpus" "$dir/artifacts"
exec "$dir/fuzz/list_reader_fuzzer" "$dir/corpus" fuzz/seeds \
  -max_total_time="$seconds" -timeout=10 -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$dir/artifacts/" "$@"
