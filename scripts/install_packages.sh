#!/usr/bin/env bash
# Installs the Debian 12 packages that building, running and testing need
# (as root), and any more named as arguments; does nothing when they are
# all there already.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools qt6-translations-l10n
  libgtest-dev libgmock-dev libbenchmark-dev mawk gawk miller python3 xvfb xauth xdotool imagemagick
  clang libclang-rt-14-dev
  dpkg-dev fakeroot file lintian desktop-file-utils appstream gzip "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
