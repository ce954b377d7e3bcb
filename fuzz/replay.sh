#!/usr/bin/env bash
# Builds the fuzz targets (EXIF reader, content probes, media containers,
# command-line parser) with clang and runs each once over its seed corpus
# and the inputs that once failed. No fuzzing here; for a long run see
# README ("Fuzzing").
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh fuzz
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 -DZANTREL_WERROR=ON >/dev/null
cmake --build build-fuzz --target exif_fuzzer probes_fuzz media_fuzzer parser_fuzz
mkdir -p fuzz/regressions/exif fuzz/regressions/probes fuzz/regressions/media fuzz/regressions/parser
./build-fuzz/exif_fuzzer -runs=0 fuzz/corpus/exif fuzz/regressions/exif
./build-fuzz/probes_fuzz -runs=0 fuzz/corpus/probes fuzz/regressions/probes
./build-fuzz/media_fuzzer -runs=0 fuzz/corpus/media fuzz/regressions/media
# The parser's usage hints go to standard error: closed, so that only what
# the fuzzer itself reports is shown.
./build-fuzz/parser_fuzz -runs=0 -close_fd_mask=2 fuzz/corpus/parser fuzz/regressions/parser
