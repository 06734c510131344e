#!/usr/bin/env bash
# Sets everything up, builds and starts the program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display found: starting the window on a virtual X server (xvfb-run)." >&2
  exec xvfb-run -a build/app/kleitab
fi
exec build/app/kleitab
