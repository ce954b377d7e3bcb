#!/usr/bin/env bash
# Builds the Debian package with cpack, reads its fields, unpacks it into a
# scratch root with dpkg -x and runs the program from there.
#   deb_test.sh CPACK BUILD-DIR
set -euo pipefail
cpack=$1 build=$2
command -v dpkg-deb >/dev/null || { echo "dpkg-deb is not installed; skipped"; exit 77; }
source "$(dirname "$0")/installed_files.sh"
version_line=$("$build/zantrel" --version)
version=${version_line#zantrel v}
arch=$(dpkg --print-architecture)
scratch=$(mktemp -d /tmp/zantrel-deb-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

(cd "$scratch" && "$cpack" --config "$build/CPackConfig.cmake" -B "$scratch/out" >cpack.log 2>&1) ||
  { cat "$scratch/cpack.log" >&2; exit 1; }
deb="$scratch/out/zantrel_${version}_${arch}.deb"
[ -f "$deb" ] || { echo "no $deb; cpack wrote: $(ls "$scratch/out")" >&2; exit 1; }

field() { dpkg-deb -f "$deb" "$1"; }
fail() { echo "$*" >&2; exit 1; }
[ "$(field Package)" = zantrel ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
[ "$(field Section)" = utils ] || fail "Section: $(field Section)"
[[ $(field Maintainer) == *?" <"*@*">" ]] || fail "Maintainer: $(field Maintainer)"
[ -n "$(field Description)" ] || fail "no Description"
depends=$(field Depends)
for lib in libc6 libstdc++6 zlib1g; do
  [[ ", $depends," == *", $lib"[\ ,]* ]] || fail "Depends lacks $lib: $depends"
done

dpkg -x "$deb" "$scratch/root"
check_installed "$scratch/root/usr" "$version_line"
echo "$(basename "$deb"): Depends: $depends"
