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
scripts/install-deps.sh clang-14 libclang-rt-14-dev
CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRLOT_FUZZ=ON -DMIRLOT_BUILD_TESTS=OFF -DMIRLOT_BUILD_GUI=OFF \
  >/dev/null
cmake --build "$dir" --target list_reader_fuzzer
mkdir -p "$dir/corpus" "$dir/artifacts"
exec "$dir/fuzz/list_reader_fuzzer" "$dir/corpus" fuzz/seeds \
  -max_total_time="$seconds" -timeout=10 -max_len=4096 -print_final_stats=1 \
  -artifact_prefix="$dir/artifacts/" "$@"
