#!/usr/bin/env bash
# Speed and memory of zantrel on large folders. Not part of the tests: run
# it by hand (./bench/bench.sh [scratch-folder]) and compare the numbers
# between versions. Needs about 2.5 GiB of free space for the copy run.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target zantrel make_demo >/dev/null
zantrel="$PWD/build/zantrel"
scratch="${1:-$(mktemp -d /tmp/zantrel-bench-XXXXXX)}"
mkdir -p "$scratch"
trap 'rm -rf "$scratch"' EXIT

measure() {  # label, command...: wall time and peak memory of one run
  local label="$1"
  shift
  /usr/bin/time -f "$label: %e s, %M KiB peak" "$@" >/dev/null
}

# 20,000 camera photos with EXIF blocks.
photos="$scratch/photos"
./build/make_demo "$scratch/demo" >/dev/null
mkdir -p "$photos"
sample="$scratch/demo/IMG_1234.JPG"
for i in $(seq -w 1 20000); do cp "$sample" "$photos/IMG_$i.JPG"; done
cd "$photos"
measure "-t -s, 20000 files" "$zantrel" -t -s '*.jpg'
measure "-t -i (EXIF), 20000 files" "$zantrel" -t -i '*.jpg'
measure "-pre=x_ rename, 20000 files" "$zantrel" -pre=x_ '*.jpg'
measure "-i rename and re-date, 20000 files" "$zantrel" -i '*.jpg'
cd - >/dev/null
rm -rf "$photos"

# Copy: 2,000 files of 1 MiB with -copy against cp on the same files.
copies="$scratch/copies"
mkdir -p "$copies"
head -c $((1024 * 1024)) /dev/urandom >"$copies/seed"
for i in $(seq -w 1 2000); do cp "$copies/seed" "$copies/f$i.bin"; done
rm "$copies/seed"
cd "$copies"
sync
start=$(date +%s.%N)
"$zantrel" -copy -pre=z_ 'f*.bin' >/dev/null
mid=$(date +%s.%N)
for f in f*.bin; do cp --preserve=timestamps,mode "$f" "c_$f"; done
end=$(date +%s.%N)
awk -v a="$start" -v b="$mid" -v c="$end" \
  'BEGIN { z = b - a; p = c - b; printf "copy 2000 x 1 MiB: zantrel %.2f s, cp %.2f s, ratio %.2f\n", z, p, z / p }'
