#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Safe to run again: it installs
# only what is missing. Runs apt-get as root, through sudo for a user on a desktop.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  libgtest-dev libgmock-dev
  libbenchmark-dev libgif-dev
  imagemagick gifsicle
  clang libclang-rt-14-dev llvm
  qt6-base-dev libgl-dev libx11-dev qt6-translations-l10n libqt6svg6 fonts-ipafont-gothic
  xvfb xauth xclip xdotool
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then sudo=(); else sudo=(sudo); fi
echo "Installing: ${missing[*]}"
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
