#!/usr/bin/env bash
# The Windows program: installs what it needs (Debian 12, as root), builds Qt
# for Windows once into a cache outside the tree (scripts/windows/build_qt.sh),
# cross-builds kleitab.exe and the tests in build-win/, runs the tests under
# Wine, and makes build-win/kleitab-VERSION-win64.zip (a portable folder) and
# build-win/kleitab-VERSION-setup.exe (an installer).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
phase() { echo "== $* (at ${SECONDS} s)"; }

phase "packages"
# Besides the Linux build's: the mingw-w64 cross compiler, Wine for the
# tests, NSIS for the installer, zip, the GoogleTest sources, and xz for
# Qt's source package (whose host tools are Debian's qt6-base-dev-tools).
bash scripts/install_packages.sh g++-mingw-w64-x86-64-posix mingw-w64-tools wine64 nsis zip \
  googletest xz-utils

phase "Qt for Windows (cache)"
qt=$(bash scripts/windows/build_qt.sh)
echo "Qt: $qt"

phase "cross build (build-win/)"
# shellcheck source=scripts/windows/wine_env.sh
source scripts/windows/wine_env.sh "$root/build-win" "$qt"
cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/scripts/windows/mingw-w64.cmake" \
  -DCMAKE_PREFIX_PATH="$qt" -DQT_HOST_PATH=/usr \
  -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DCMAKE_CROSSCOMPILING_EMULATOR="$WINE_LOADER" \
  -DKLEITAB_BUILD_BENCH=OFF -Wno-dev
cmake --build build-win -j "$(nproc)"
version=$(sed -n 's/^project(kleitab VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)

phase "the portable folder and the zip"
bash scripts/windows/make_dist.sh build-win "$qt" "$version"

failed=()
phase "tests under Wine"
# The unattended soak of random folders is the Linux suite's; under Wine the
# suites run their fixed cases only.
KLEITAB_SOAK_SECONDS=0 ctest --test-dir build-win --output-on-failure || failed+=("ctest")

phase "Linux and Windows give the same files"
bash scripts/windows/compare_outputs.sh build-win/dist/kleitab.com || failed+=("compare")

phase "the installer"
bash scripts/windows/make_installer.sh build-win "$version" || failed+=("installer")

phase "the window under Wine, walked with real clicks"
bash scripts/windows/window_walk.sh build-win/dist docs/screenshots || failed+=("window")

phase "done"
if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}" >&2
  exit 1
fi
ls -la "build-win/kleitab-$version-win64.zip" "build-win/kleitab-$version-setup.exe"
echo "All Windows tests passed."
