#!/usr/bin/env bash
# The Debian 12 packages the Windows build needs (as root): the mingw-w64
# cross compiler, Wine to run the tests, NSIS for the installer, zip, the
# GoogleTest sources, and the host tools of Qt (the same version as the
# source package the Windows Qt is built from).
set -euo pipefail
packages=(g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 nsis zip googletest
  qt6-base-dev-tools qt6-translations-l10n cmake ninja-build dpkg-dev xz-utils
  xvfb xauth xdotool imagemagick python3)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
