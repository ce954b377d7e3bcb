#!/usr/bin/env bash
# Builds zantrel and shows what it does on a demo folder of sample camera
# files that the build generates (build/demo). Your own files are never
# touched: the demo works in build/demo only.
set -euo pipefail
cd "$(dirname "$0")/.."
"$PWD/scripts/setup.sh" demo
cmake -S . -B build -G Ninja >/dev/null
cmake --build build --target zantrel make_demo
zantrel="$PWD/build/zantrel"
demo="$PWD/build/demo"
./build/make_demo "$demo"
cd "$demo"

show() {
  local shown=""
  for a in "$@"; do
    case "$a" in *[*?\ ]*) shown+=" '$a'" ;; *) shown+=" $a" ;; esac
  done
  echo
  echo "\$ zantrel$shown"
  "$zantrel" "$@"
}

echo "Demo folder $demo:"
ls -1
show -t -i '*.jpg,*.jpeg'
show -t -magic -s '*'
show -t -d -n '*.pdf'
show -t -cm="$demo/library"
show -cm="$demo/library"
echo
echo "The media library now holds:"
if [ -d "$demo/library" ]; then (cd "$demo/library" && find . -type f | sort); else echo "(nothing yet)"; fi
