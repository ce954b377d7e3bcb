#!/usr/bin/env bash
# Builds the EXIF fuzz target and runs it once over the seed corpus and the
# regression inputs (no fuzzing; that is a long run by hand, see README).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
cmake --build build-fuzz --target exif_fuzzer
./build-fuzz/exif_fuzzer -runs=0 fuzz/corpus/exif fuzz/regressions/exif
