#!/usr/bin/env bash
# The stress suite in full: kill rounds (SIGKILL, SIGINT, SIGTERM at random
# moments) over a card of 5,000 files, 20 rounds each, for renames with a
# log, -copy and -cm, and copies onto a full and a read-only library (as
# root). CI runs the same tests in a quick version (500 files, 2 rounds).
#
#   scripts/stress.sh [--files N] [--rounds N] [--jobs N] [--seed N]
#
# Tests run --jobs at a time (default 3), each in its own temporary folder;
# their output goes to build/stress/<test>.log. Exit status 0 when all pass.
set -euo pipefail
cd "$(dirname "$0")/.."

files=5000 rounds=20 jobs=3 seed=0
while [ $# -gt 0 ]; do
  case "$1" in
    --files) files=$2; shift 2 ;;
    --rounds) rounds=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --seed) seed=$2; shift 2 ;;
    *) echo "usage: $0 [--files N] [--rounds N] [--jobs N] [--seed N]" >&2; exit 2 ;;
  esac
done

"$PWD/scripts/setup.sh" test
cmake -S . -B build -G Ninja -DZANTREL_TESTS=ON -DZANTREL_WERROR=ON >/dev/null
cmake --build build -j "$(nproc 2>/dev/null || echo 2)"

mapfile -t tests < <(./build/zantrel_tests --gtest_list_tests --gtest_filter='Stress*' |
  awk '/^[^ ]/ {suite=$1} /^  / {print suite $1}')
mkdir -p build/stress
export ZANTREL_STRESS_FILES=$files ZANTREL_STRESS_ROUNDS=$rounds
[ "$seed" != 0 ] && export ZANTREL_STRESS_SEED=$seed

echo "${#tests[@]} stress tests, $files files, $rounds rounds, $jobs at a time"
start=$SECONDS
running=0
for t in "${tests[@]}"; do
  log="build/stress/${t//\//_}.log"
  ( if ./build/zantrel_tests --gtest_filter="$t" >"$log" 2>&1; then echo "ok      $t"; else echo "FAILED  $t (see $log)"; fi ) &
  running=$((running + 1))
  if [ "$running" -ge "$jobs" ]; then wait -n; running=$((running - 1)); fi
done
wait
echo "done in $((SECONDS - start)) s"
grep -h 'files, .* rounds' build/stress/*.log || true
! grep -l '^\[  FAILED  \]' build/stress/*.log >/dev/null
