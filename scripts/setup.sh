#!/usr/bin/env bash
# Installs what building, running and testing need (Debian 12, as root), then
# configures and builds the program into build/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install_packages.sh
cmake -S . -B build -G Ninja
cmake --build build
