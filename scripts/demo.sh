#!/usr/bin/env bash
# Builds zantrel and shows what it does on a demo folder.
set -euo pipefail
cd "$(dirname "$0")/.."
"$PWD/scripts/setup.sh"
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target zantrel
echo "$ ./build/zantrel --help"
./build/zantrel --help
