#!/usr/bin/env bash
# Installs what is missing, builds the project and starts the game.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" >/dev/null
cd build/run
exec ./zelvo2 "$@"
