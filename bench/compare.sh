#!/usr/bin/env bash
# Before/after check for speed work: runs two zantrel binaries on identical
# copies of one sample folder with a set of option combinations, and
# compares what each run printed (standard output and standard error), the
# log it wrote and the tree it left (names, kinds, sizes, modes, last-write
# times, link targets). Any difference is shown and makes the exit status 1.
#
#   bench/compare.sh OLD-BINARY [NEW-BINARY]   (NEW defaults to build/zantrel)
set -euo pipefail
cd "$(dirname "$0")/.."
old="$(realpath "$1")"
new="$(realpath "${2:-build/zantrel}")"
cmake --build build --target make_corpus >/dev/null
corpusTool="$PWD/build/make_corpus"

scratch=$(mktemp -d /tmp/zantrel-compare-XXXXXX)
trap 'rm -rf "$scratch"' EXIT
sample="$scratch/sample"
export HOME="$scratch/home" XDG_DATA_HOME="$scratch/home/.local/share"
mkdir -p "$HOME"

# The sample: camera photos and the cases the engine treats apart.
"$corpusTool" photos "$sample" 40 >/dev/null
"$corpusTool" small "$sample" 30 >/dev/null
"$corpusTool" tree "$sample/trip" 12 2 >/dev/null
(
  cd "$sample"
  chmod 444 IMG_00003.JPG                       # read-only: writable after the rename
  touch -d '2001-02-03 04:05:06' IMG_00004.JPG  # file date off the capture date: -de sets it
  touch -d '1975-01-01' IMG_00005.JPG           # outside the DOS date range
  head -c 3000 IMG_00006.JPG >IMG_00041.JPG     # cut off inside the EXIF block
  printf 'no photo' >IMG_00042.JPG              # no JPEG at all
  cp IMG_00007.JPG 'IMG 7 copy.JPG'
  cp IMG_00008.JPG 'IMG_00008.jpg'              # the -i and -s name of IMG_00008.JPG is taken
  cp IMG_00009.JPG '2013-04-12 party.JPG'       # dated names
  cp IMG_00010.JPG 'IMG_2013_0412.jpg'
  ln -s IMG_00011.JPG link.jpg                  # a link is renamed as itself
  ln -s missing.jpg dangling.jpg
  mkfifo pipe.jpg
  printf a >'My File.TXT'                       # -s name taken
  printf b >'My_File.txt'
  printf c >'Old File.TXT'                      # -s name taken by a file outside the DOS date range
  printf d >'Old_File.txt'
  printf e >'Fifo Name.TXT'                     # -s names taken by what no listing shows
  mkfifo 'Fifo_Name.txt'
  printf f >'Dangling Link.TXT'
  ln -s nowhere 'Dangling_Link.txt'
  touch -d '1975-01-01' 'Old_File.txt'
  cp IMG_00012.JPG photo.tif                    # read as TIFF, fails
  mkdir -p 'Sub Folder' && cp IMG_00013.JPG IMG_00014.JPG 'Sub Folder/'
  chmod 000 IMG_00015.JPG                       # unreadable
)

runs=(
  "-i *.jpg"
  "-t -i *.jpg"
  "-i -log *.*"
  "-verbose -i *.jpg"
  "-s *.*"
  "-t -s *.*"
  "-t -s -ded *.*"
  "-t -s -des *.*"
  "-t -l *.*"
  "-t -u -i *.*"
  "-s -ded *.*"
  "-s -des -log *.*"
  "-sub -s *.*"
  "-sub -t -i *.*"
  "-dp -dt=W -log *.*"
  "-ds -s *.jpg"
  "-nice *.*"
  "-daf -s *.*"
  "-dir -fdff -sub *"
  "-copy -pre=c_ *.jpg"
  "-cm=lib *.*"
  "-st=2011-05-06 *.jpg"
  "-st=2011-05-06 -de *.jpg"
  "-i -ded -log *.*"
  "-de -dt=E -dp *.jpg"
  "-ss -magic -s *.*"
  "-dcs=2 -max=20 -u *.*"
)

# What a tree holds, one line per object, sorted. Folder times change with
# every rename inside them, and the log is written at run time, so their
# times are left out, and the minute in the log's name.
snapshot() {
  (
    cd "$1"
    find . -mindepth 1 ! -type d ! -name '_zantrel_*.log' -printf '%P\t%y\t%s\t%m\t%T@\t%l\n'
    find . -mindepth 1 \( -type d -o -name '_zantrel_*.log' \) -printf '%P\t%y\t%s\t%m\n' |
      sed 's/_zantrel_[0-9-]*\.log/_zantrel_LOG.log/'
  ) | sort
}

status=0
for args in "${runs[@]}"; do
  read -r -a argv <<<"$args"
  for which in old new; do
    bin=$old
    [ "$which" = new ] && bin=$new
    rm -rf "$scratch/$which"
    cp -a "$sample" "$scratch/$which"
    rm -rf "$HOME/Media"
    code=0
    (cd "$scratch/$which" && "$bin" "${argv[@]}" >"$scratch/$which.out" 2>"$scratch/$which.err") || code=$?
    echo "exit $code" >>"$scratch/$which.err"
    cat "$scratch/$which"/_zantrel_*.log >"$scratch/$which.log" 2>/dev/null || true
    snapshot "$scratch/$which" >"$scratch/$which.tree"
  done
  same=1
  for part in out err log tree; do
    if ! diff -u "$scratch/old.$part" "$scratch/new.$part" >"$scratch/diff" 2>&1; then
      same=0
      echo "DIFFERENT $part: zantrel $args"
      head -40 "$scratch/diff"
    fi
  done
  if [ "$same" = 1 ]; then
    echo "same: zantrel $args ($(wc -l <"$scratch/new.out") lines)"
  else
    status=1
  fi
done
exit $status
