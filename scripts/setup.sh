#!/usr/bin/env bash
# Installs, on Debian 12, what a task needs where it is missing. Safe to run
# again.
#
#   scripts/setup.sh demo    build zantrel and its demo (a compiler, CMake)
#   scripts/setup.sh test    build and run every test (adds GoogleTest ...)
#   scripts/setup.sh fuzz    build the fuzz targets (adds clang, libFuzzer)
#   scripts/setup.sh bench   run the benchmarks
#   scripts/setup.sh         all of them
#
# Several tasks may be named at once. A package a new test or tool needs
# goes into the list of the task that needs it, below.
set -euo pipefail

# zlib1g-dev: the one library zantrel links (compressed PNG text).
demo_packages=(cmake ninja-build g++ zlib1g-dev)
# tzdata: the tests run in a zone with daylight saving.
# desktop-file-utils, libglib2.0-bin (gio) and shared-mime-info: check the
# folder menu entries as the desktop reads them.
# groff-base: checks the man page. dpkg-dev: dpkg-shlibdeps for the .deb.
# zsh: checks the zsh completion.
test_packages=("${demo_packages[@]}" libgtest-dev tzdata desktop-file-utils libglib2.0-bin shared-mime-info
  groff-base dpkg-dev zsh)
fuzz_packages=(cmake ninja-build zlib1g-dev clang-14 libclang-rt-14-dev)
# bench/run.sh: strace counts system calls, time measures peak memory;
# jhead, exiv2 and exiftool are the programs it compares zantrel with.
bench_packages=("${demo_packages[@]}" time strace jhead exiv2 libimage-exiftool-perl)

tasks=("$@")
[ ${#tasks[@]} -eq 0 ] && tasks=(test fuzz bench)

packages=()
for task in "${tasks[@]}"; do
  case "$task" in
    demo) packages+=("${demo_packages[@]}") ;;
    test) packages+=("${test_packages[@]}") ;;
    fuzz) packages+=("${fuzz_packages[@]}") ;;
    bench) packages+=("${bench_packages[@]}") ;;
    *)
      echo "setup.sh: unknown task \"$task\" (demo, test, fuzz or bench)" >&2
      exit 2
      ;;
  esac
done
if [ "${ZANTREL_EXTRA_PACKAGES:-}" != "" ]; then
  read -r -a extra <<<"$ZANTREL_EXTRA_PACKAGES"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
# One apt-get call, each package named once.
read -r -a missing <<<"$(printf '%s\n' "${missing[@]}" | sort -u | tr '\n' ' ')"

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
