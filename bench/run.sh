#!/usr/bin/env bash
# Side-by-side benchmark of zantrel against a system-call floor and peer
# programs. Every program runs on a fresh hard-link copy (cp -al) of one
# corpus; the programs alternate run by run (the order rotates each round),
# so load from other work on the machine falls on all of them alike and the
# ratios of one run can be compared even when the absolute times cannot.
#
#   bench/run.sh [options] [set ...]
#
# Sets (default: photos small):
#   photos   N camera JPEGs: the floor at 64 KiB and 4 KiB (renaming and dry),
#            zantrel -i, zantrel -t -i, and jhead, exiv2, exiftool if installed
#   small    folders of 25,000, 50,000 and 100,000 small files: a floor that
#            only lists and renames, zantrel -s, zantrel -t -s
#   tree     about 1,000 folders of 3 files: zantrel -sub -t -s, -sub -s
#   copy     N photos: zantrel -copy, zantrel -cm, and cp -p for reference
# Options:
#   -n N          photos in the corpus (default 2000; several as 2000,20000)
#   -r R          rounds, i.e. timed runs of each program (default 5)
#   --cold        drop the page cache before every run (root only; the
#                 photo set then runs the dry programs); skipped otherwise
#   --base PATH   also run another zantrel binary (an older build) on the
#                 same copies, as "base ..." rows
#   --exiftool    run exiftool also when N > 2000 (it is about 150 times
#                 slower; it is timed in the first round only)
#   --no-peers    leave out jhead, exiv2 and exiftool
#   --scratch DIR where corpora and copies live (default /tmp/zantrel-bench;
#                 corpora are kept and reused)
#
# Columns: median wall time; its ratio to the floor named in the "vs"
# column, of the same run; median CPU time (user + system of the program
# and the shell that starts it) and its ratio,
# which other load on the machine disturbs less than the wall time; files
# per second; system calls per file from strace -c -f (one extra untimed
# run); peak RSS from /usr/bin/time.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

counts="2000"
rounds=5
cold=0
base=""
exiftoolAlways=0
peers=1
scratch=/tmp/zantrel-bench
sets=()
while [ $# -gt 0 ]; do
  case "$1" in
    -n) counts="$2"; shift 2 ;;
    -r) rounds="$2"; shift 2 ;;
    --cold) cold=1; shift ;;
    --base) base="$(realpath "$2")"; shift 2 ;;
    --exiftool) exiftoolAlways=1; shift ;;
    --no-peers) peers=0; shift ;;
    --scratch) scratch="$2"; shift 2 ;;
    -h|--help) sed -n '2,30p' "$0"; exit 0 ;;
    -*) echo "run.sh: unknown option $1" >&2; exit 2 ;;
    *) sets+=("$1"); shift ;;
  esac
done
[ ${#sets[@]} -eq 0 ] && sets=(photos small)

"$root/scripts/setup.sh" bench
for tool in strace /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "run.sh: $tool is missing (scripts/setup.sh bench)" >&2; exit 1; }
done

cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target zantrel make_corpus bench_floor >/dev/null
zantrel="$root/build/zantrel"
floor="$root/build/bench_floor"
corpusTool="$root/build/make_corpus"

if [ "$cold" = 1 ]; then
  if [ "$(id -u)" -ne 0 ] || ! (sync && echo 3 >/proc/sys/vm/drop_caches) 2>/dev/null; then
    echo "run.sh: cannot drop caches here (needs root and a writable /proc/sys/vm); cold mode skipped" >&2
    exit 0
  fi
fi

mkdir -p "$scratch"
work="$scratch/work"
rm -rf "$work"
mkdir -p "$work"
trap 'rm -rf "$work"' EXIT

corpus() {  # kind, args...: the path of a corpus, written on first use
  local kind="$1"
  shift
  local dir="$scratch/corpus-$kind-$(IFS=-; echo "$*")"
  if [ ! -f "$dir/.complete" ]; then
    rm -rf "$dir"
    echo "writing corpus $kind $* ..." >&2
    "$corpusTool" "$kind" "$dir" "$@"
    touch "$dir/.complete"
  fi
  echo "$dir"
}

# One run of a command line in a fresh copy: writes "wall-microseconds
# cpu-microseconds kib" to $work/result.
timedRun() {  # corpus, command line
  local src="$1" cmd="$2" copy="$work/run"
  rm -rf "$copy"
  cp -al "$src" "$copy"
  if [ "$cold" = 1 ]; then
    sync
    echo 3 >/proc/sys/vm/drop_caches
  fi
  local TIMEFORMAT='%3R %3U %3S'
  { time (cd "$copy" && /usr/bin/time -f %M -o "$work/rss" bash -c "$cmd" >/dev/null 2>"$work/stderr" ||
      { echo "run.sh: failed: $cmd" >&2; cat "$work/stderr" >&2; }); } 2>"$work/times"
  rm -rf "$copy"
  read -r wall user sys <"$work/times"
  awk -v w="$wall" -v u="$user" -v s="$sys" -v k="$(tail -1 "$work/rss")" \
    'BEGIN { printf "%d %d %d\n", w * 1e6, (u + s) * 1e6, k }' >"$work/result"
}

# System calls of one untimed run under strace.
syscallCount() {  # corpus, command line
  local src="$1" cmd="$2" copy="$work/run"
  rm -rf "$copy"
  cp -al "$src" "$copy"
  (cd "$copy" && strace -c -f -o "$work/strace" bash -c "$cmd" >/dev/null 2>&1) || true
  rm -rf "$copy"
  awk '$NF == "total" { print $4 }' "$work/strace"
}

median() { sort -n | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else print (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Runs the programs of one table side by side and prints it.
#   labels[i], commands[i], refs[i] (label of the floor to divide by, or "")
table() {  # title, corpus, files
  local title="$1" src="$2" files="$3"
  local n=${#labels[@]} r i k
  declare -A times cpus rss
  for ((i = 0; i < n; i++)); do times[$i]=""; cpus[$i]=""; rss[$i]=0; done
  for ((r = 0; r < rounds; r++)); do
    for ((k = 0; k < n; k++)); do
      i=$(( (k + r) % n ))
      [ "$r" -gt 0 ] && [ "${once[$i]}" = 1 ] && continue
      timedRun "$src" "${commands[$i]}"
      read -r us cpu kib <"$work/result"
      times[$i]+="$us "
      cpus[$i]+="$cpu "
      [ "$kib" -gt "${rss[$i]}" ] && rss[$i]=$kib
    done
  done
  declare -A med medCpu
  for ((i = 0; i < n; i++)); do
    med[${labels[$i]}]=$(tr ' ' '\n' <<<"${times[$i]}" | grep . | median)
    medCpu[${labels[$i]}]=$(tr ' ' '\n' <<<"${cpus[$i]}" | grep . | median)
  done

  echo
  echo "### $title"
  echo
  echo "| program | median s | vs | ratio | CPU s | CPU ratio | files/s | calls/file | peak RSS MB |"
  echo "|---|---:|---|---:|---:|---:|---:|---:|---:|"
  for ((i = 0; i < n; i++)); do
    local m=${med[${labels[$i]}]} c=${medCpu[${labels[$i]}]} ref=${refs[$i]} ratio="" cpuRatio="" calls
    if [ -n "$ref" ]; then
      ratio=$(awk -v a="$m" -v b="${med[$ref]}" 'BEGIN { printf "%.2f", a / b }')
      cpuRatio=$(awk -v a="$c" -v b="${medCpu[$ref]}" 'BEGIN { if (b > 0) printf "%.2f", a / b }')
    fi
    calls=$(syscallCount "$src" "${commands[$i]}")
    awk -v l="${labels[$i]}" -v m="$m" -v c="$c" -v ref="$ref" -v ratio="$ratio" -v cr="$cpuRatio" -v f="$files" \
      -v n="$calls" -v k="${rss[$i]}" \
      'BEGIN { printf "| %s | %.3f | %s | %s | %.3f | %s | %.0f | %.1f | %.1f |\n", l, m / 1e6, ref, ratio, c / 1e6, cr, f / (m / 1e6), n / f, k / 1024 }'
  done
}

# A fourth argument 1 times the program in the first round only (exiftool
# takes minutes).
add() { labels+=("$1"); commands+=("$2"); refs+=("$3"); once+=("${4:-0}"); }

# The zantrel rows, and the same rows for the base binary when given.
addZantrel() {  # label suffix, arguments, ref
  add "zantrel $1" "$zantrel $2" "$3"
  [ -n "$base" ] && add "base $1" "$base $2" "$3"
  return 0
}

photoSet() {
  local n="$1" src
  src=$(corpus photos "$n")
  [ "$cold" = 0 ] && (cd "$src" && "$floor" read 1048576 .jpg dry)  # the corpus into the page cache
  labels=() commands=() refs=() once=()
  local dry64="floor 64 KiB dry"
  if [ "$cold" = 0 ]; then
    add "floor 64 KiB" "$floor read 65536 .jpg" ""
    add "floor 4 KiB" "$floor read 4096 .jpg" "floor 64 KiB"
  fi
  add "$dry64" "$floor read 65536 .jpg dry" ""
  add "floor 4 KiB dry" "$floor read 4096 .jpg dry" "$dry64"
  if [ "$cold" = 0 ]; then addZantrel "-i" "-i '*.jpg'" "floor 64 KiB"; fi
  addZantrel "-t -i" "-t -i '*.jpg'" "$dry64"
  if [ "$peers" = 1 ] && command -v jhead >/dev/null; then
    if [ "$cold" = 0 ]; then add "jhead -n" "jhead -q -n%y%m%d-%H%M_%f *.JPG" "floor 64 KiB"; fi
    add "jhead (read)" "jhead *.JPG" "$dry64"
  fi
  if [ "$peers" = 1 ] && command -v exiv2 >/dev/null; then
    if [ "$cold" = 0 ]; then add "exiv2 rename" "exiv2 -q -r %y%m%d-%H%M_:basename: rename *.JPG" "floor 64 KiB"; fi
    add "exiv2 (read)" "exiv2 -q -g Exif.Photo.DateTimeOriginal -Pv *.JPG" "$dry64"
  fi
  if [ "$peers" = 1 ] && command -v exiftool >/dev/null && { [ "$n" -le 2000 ] || [ "$exiftoolAlways" = 1 ]; }; then
    if [ "$cold" = 0 ]; then
      add "exiftool rename" "exiftool -q '-FileName<DateTimeOriginal' -d %y%m%d-%H%M_%%f.%%e ." "floor 64 KiB" 1
    fi
    add "exiftool (read)" "exiftool -q -s3 -DateTimeOriginal ." "$dry64" 1
  fi
  table "$n camera JPEGs, $([ "$cold" = 1 ] && echo "cold cache" || echo "warm cache")" "$src" "$n"
}

smallSet() {
  local n src
  for n in 25000 50000 100000; do
    src=$(corpus small "$n")
    labels=() commands=() refs=() once=()
    add "floor list+rename" "$floor rename" ""
    addZantrel "-s" "-s '*.*'" "floor list+rename"
    addZantrel "-t -s" "-t -s '*.*'" "floor list+rename"
    table "$n small files in one folder" "$src" "$n"
  done
}

treeSet() {
  local src
  src=$(corpus tree 1000 3)
  labels=() commands=() refs=() once=()
  addZantrel "-sub -t -s" "-sub -t -s '*.*'" ""
  addZantrel "-sub -s" "-sub -s '*.*'" ""
  table "1,000 folders of 3 files" "$src" 3000
}

copySet() {
  local n="$1" src
  src=$(corpus photos "$n")
  labels=() commands=() refs=() once=()
  add "cp -p" "mkdir c && cp -p -t c *.JPG" ""
  addZantrel "-copy" "-copy -pre=c_ '*.jpg'" "cp -p"
  addZantrel "-cm" "-cm=lib '*.jpg'" "cp -p"
  table "$n camera JPEGs copied" "$src" "$n"
}

echo "## $(date '+%Y-%m-%d %H:%M'), $(nproc) cores ($(awk -F': ' '/model name/ { print $2; exit }' /proc/cpuinfo)), $(uname -r), $(df -T "$scratch" | awk 'NR == 2 { print $2 }')"
echo
echo "$rounds rounds; load average at the start: $(cut -d' ' -f1-3 /proc/loadavg)"
for set in "${sets[@]}"; do
  case "$set" in
    photos) for n in ${counts//,/ }; do photoSet "$n"; done ;;
    small) smallSet ;;
    tree) treeSet ;;
    copy) for n in ${counts//,/ }; do copySet "$n"; done ;;
    *) echo "run.sh: unknown set $set" >&2; exit 2 ;;
  esac
done
echo
echo "load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
