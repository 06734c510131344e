#!/usr/bin/env bash
# Installs what is missing, builds the program alone (no tests, no
# benchmarks) into build/ and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install_packages.sh
cmake -S . -B build -G Ninja
cmake --build build --target kleitab
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the window on a virtual X server (xvfb-run)." >&2
  exec xvfb-run -a build/app/kleitab
fi
exec build/app/kleitab
