#!/usr/bin/env bash
# Builds Qt for 64-bit Windows once, from Debian's own qt6-base source package,
# into a cache outside the tree, and prints the cache's path. A cache of the
# same version and options is reused; the host tools are Debian's own
# qt6-base-dev-tools of the same version.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
version=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools | sed 's/+.*//')
options=(
  -DBUILD_SHARED_LIBS=ON -DCMAKE_BUILD_TYPE=Release
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_icu=OFF -DFEATURE_network=OFF -DFEATURE_sql=OFF -DFEATURE_dbus=OFF
  -DFEATURE_printsupport=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF
  -DFEATURE_vulkan=OFF -DFEATURE_tabletevent=OFF
  -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_png=OFF -DFEATURE_system_jpeg=OFF
  -DFEATURE_system_doubleconversion=OFF
)
key=$(printf '%s\n' "$version" "${options[@]}" | cat - "$here/mingw-w64.cmake" | sha1sum | cut -c1-12)
cache=${KLEITAB_QT_CACHE:-/var/cache/kleitab}/qt-$version-win64-$key
if [ -f "$cache/.complete" ]; then
  echo "$cache"
  exit 0
fi

work=$(mktemp -d /var/tmp/kleitab-qt-build.XXXXXX)
trap 'rm -rf "$work"' EXIT
(
  cd "$work"
  grep -rqs '^Types: deb-src' /etc/apt/sources.list.d/ /etc/apt/sources.list ||
    cat > /etc/apt/sources.list.d/kleitab-deb-src.sources <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
  [ -n "$(ls /var/lib/apt/lists/*_source_Sources* 2>/dev/null)" ] || apt-get update -q
  apt-get source --download-only "qt6-base=$(dpkg-query -W -f='${Version}' qt6-base-dev-tools)"
  tar xf qt6-base_*.orig.tar.xz
  src=$(find . -maxdepth 1 -type d -name 'qtbase*' | head -n 1)
  cmake -S "$src" -B build -G Ninja -Wno-dev \
    -DCMAKE_TOOLCHAIN_FILE="$here/mingw-w64.cmake" \
    -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
    -DCMAKE_INSTALL_PREFIX="$cache" "${options[@]}"
  cmake --build build -j "$(nproc)"
  rm -rf "$cache"
  cmake --install build
) >&2
touch "$cache/.complete"
echo "$cache"
