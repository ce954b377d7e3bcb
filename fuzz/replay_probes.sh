#!/usr/bin/env bash
# Builds the content-probe fuzz target with clang and replays its seed
# corpus and the inputs that once failed. With --fuzz SECONDS it fuzzes for
# that long instead (new inputs go to fuzz/out/probes-corpus).
set -euo pipefail
cd "$(dirname "$0")/.."
out=fuzz/out
mkdir -p "$out"
clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all -I. \
  fuzz/probes_fuzz.cpp probes/magic.cpp probes/img_size.cpp lib/byte_reader.cpp lib/strings.cpp lib/paths.cpp \
  platform/input_file.cpp -o "$out/probes_fuzz"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if [ "${1:-}" = "--fuzz" ]; then
  mkdir -p "$out/probes-corpus"
  exec "$out/probes_fuzz" -max_total_time="${2:-600}" -max_len=20000 -print_final_stats=1 \
    -artifact_prefix="$out/" "$out/probes-corpus" fuzz/corpus/probes
fi
"$out/probes_fuzz" -runs=0 fuzz/corpus/probes fuzz/regressions/probes
