#!/usr/bin/env bash
# Installs what building and testing zantrel needs on Debian 12, where it
# is missing. Safe to run again.
set -euo pipefail

# desktop-file-utils, libglib2.0-bin (gio) and shared-mime-info check the folder
# menu entries as the desktop reads them; zlib1g-dev is the one library
# zantrel links (compressed PNG text).
packages=(cmake ninja-build g++ zlib1g-dev libgtest-dev tzdata desktop-file-utils libglib2.0-bin shared-mime-info
  clang-14 libclang-rt-14-dev)
if [ "${ZANTREL_EXTRA_PACKAGES:-}" != "" ]; then
  read -r -a extra <<<"$ZANTREL_EXTRA_PACKAGES"
  packages+=("${extra[@]}")
fi

missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
