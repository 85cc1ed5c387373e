#!/usr/bin/env bash
# Builds the image reader's libFuzzer target with clang and runs it for a
# bounded time: fuzz/run-image-fuzzer.sh SECONDS [libFuzzer options...]
#
# Not part of the normal build or CI. The build, the growing corpus and any
# crash inputs live in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run-image-fuzzer.sh SECONDS [libFuzzer options...]}
shift
dir=build/fuzz

# The fuzzer needs clang and its runtime, which the normal build does not.
scripts/install-deps.sh clang-14 libclang-rt-14-dev
CC=clang-14 CXX=clang++-14 cmake -S . -B "$dir" -G Ninja \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMIRLOT_FUZZ=ON \
  -DMIRLOT_BUILD_TESTS=OFF -DMIRLOT_BUILD_GUI=OFF >/dev/null
cmake --build "$dir" --target image_reader_fuzzer
mkdir -p "$dir/corpus" "$dir/artifacts"

# Seeds: two-byte split prefix, then an image, then its report.
seed() { printf '%b' "$2" >"$dir/corpus/$1"; }
heading='#,            Name,          Offset,       Size\r\n'
seed sound-two '\x10\x00\x00\x00\x00\x10\x00\x00\x00\x02\x00\x00\x00\x12\x00\x00\x00\x02ABCD'"$heading"' 1            a.dat         16            2\r\n 2            ../b          18            2\r\n'
seed one-entry '\x0a\x00\x00\x00\x00\x08\x00\x00\x00\x02xy'"$heading"' 1            x y 1         8             2\r\n'
seed overlap '\x18\x00\x00\x00\x00\x10\x00\x00\x00\x04\x00\x00\x00\x12\x00\x00\x00\x02ABCD'
seed past-end '\x10\x00\x00\x00\x00\x10\x7f\xff\xff\xff\x80\x00\x00\x00\x00\x00\x00\x05'
seed short '\x03\x00\x00\x00\x08'

ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  exec "$dir/fuzz/image_reader_fuzzer" -max_total_time="$seconds" \
  -timeout=10 -print_final_stats=1 -artifact_prefix="$dir/artifacts/" \
  "$@" "$dir/corpus"
