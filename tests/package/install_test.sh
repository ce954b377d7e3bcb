#!/usr/bin/env bash
# cmake --install into a scratch folder, once with --prefix and once with
# DESTDIR and a prefix of its own; both give a working zantrel.
#   install_test.sh CMAKE BUILD-DIR
set -euo pipefail
cmake=$1 build=$2
source "$(dirname "$0")/installed_files.sh"
version=$("$build/zantrel" --version)
scratch=$(mktemp -d /tmp/zantrel-install-XXXXXX)
trap 'rm -rf "$scratch"' EXIT

env -u DESTDIR "$cmake" --install "$build" --prefix "$scratch/prefix" >/dev/null
check_installed "$scratch/prefix" "$version"

DESTDIR="$scratch/root" "$cmake" --install "$build" --prefix /opt/zantrel >/dev/null
[ "$(ls -A "$scratch/root")" = opt ] || { echo "DESTDIR holds more than opt/" >&2; exit 1; }
check_installed "$scratch/root/opt/zantrel" "$version"
echo "installed and checked below $scratch/prefix and DESTDIR $scratch/root"
