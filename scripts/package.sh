#!/usr/bin/env bash
# Builds the Debian package: the program alone (no tests, no benchmarks) in
# build-package/, then `cpack -G DEB` there. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_packages.sh >&2
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DKLEITAB_BUILD_TESTS=OFF -DKLEITAB_BUILD_BENCH=OFF "${launcher[@]}" >&2
cmake --build build-package -j "$(nproc)" >&2
(cd build-package && rm -f kleitab_*.deb && cpack -G DEB >&2)
ls "$PWD"/build-package/kleitab_*_amd64.deb
