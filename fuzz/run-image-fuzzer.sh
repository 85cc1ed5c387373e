#!/usr/bin/env bash
# Builds the image reader's libFuzzer target with clang and runs it for a
# bounded time: fuzz/run-image-fuzzer.sh SECONDS [libFuzzer options...]
#
# Not part of the normal build or CI. Needs clang-14 and libclang-rt-14-dev.
# The build, the corpus and any crash inputs live in build/fuzz-image/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run-image-fuzzer.sh SECONDS [libFuzzer options...]}
shift

clang=${CLANGXX:-clang++-14}
out=build/fuzz-image
mkdir -p "$out/corpus" "$out/artifacts"

# Everything the image commands reach, on this host's runtime.
sources=(
  fuzz/image/image_reader_fuzzer.cc
  src/cli/output_text.cc
  src/packing/*.cc
  src/reading/*.cc
  tests/runtime/fake_file_system.cc
)
for file in src/runtime/*.cc; do
  [[ $file == *windows* ]] || sources+=("$file")
done
"$clang" -std=c++20 -g -O1 -fno-omit-frame-pointer \
  -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
  -Isrc -Itests "${sources[@]}" -o "$out/image_reader_fuzzer"

# Seeds: two-byte split prefix, then an image, then its report.
seed() { printf "$2" >"$out/corpus/$1"; }
heading='#,            Name,          Offset,       Size\r\n'
seed sound-two '\x10\x00\x00\x00\x00\x10\x00\x00\x00\x02\x00\x00\x00\x12\x00\x00\x00\x02ABCD'"$heading"' 1            a.dat         16            2\r\n 2            ../b          18            2\r\n'
seed one-entry '\x0a\x00\x00\x00\x00\x08\x00\x00\x00\x02xy'"$heading"' 1            x y 1         8             2\r\n'
seed overlap '\x18\x00\x00\x00\x00\x10\x00\x00\x00\x04\x00\x00\x00\x12\x00\x00\x00\x02ABCD'
seed past-end '\x10\x00\x00\x00\x00\x10\x7f\xff\xff\xff\x80\x00\x00\x00\x00\x00\x00\x05'
seed short '\x03\x00\x00\x00\x08'

ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
  "$out/image_reader_fuzzer" -max_total_time="$seconds" -print_final_stats=1 \
  -artifact_prefix="$out/artifacts/" "$@" "$out/corpus"
