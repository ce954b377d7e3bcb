#!/usr/bin/env bash
# Builds zantrel and its tests and runs every test, warnings as errors.
#   --sanitize  AddressSanitizer and UndefinedBehaviorSanitizer (build-asan)
#   --release   an optimised Release build (build-release)
#   --clang     built with clang++-14 (build-clang)
set -euo pipefail
cd "$(dirname "$0")/.."

build=build
tasks=(test)
flags=()
case "${1:-}" in
  "") ;;
  --sanitize)
    build=build-asan
    flags=(-DZANTREL_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    ;;
  --release)
    build=build-release
    flags=(-DCMAKE_BUILD_TYPE=Release)
    ;;
  --clang)
    build=build-clang
    tasks+=(fuzz)  # brings clang
    flags=(-DCMAKE_CXX_COMPILER=clang++-14)
    ;;
  *)
    echo "usage: $0 [--sanitize | --release | --clang]" >&2
    exit 2
    ;;
esac
"$PWD/scripts/setup.sh" "${tasks[@]}"

jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B "$build" -G Ninja -DZANTREL_TESTS=ON -DZANTREL_WERROR=ON "${flags[@]}" >/dev/null
cmake --build "$build" -j "$jobs"
ctest --test-dir "$build" -j "$jobs" --output-on-failure
