#!/usr/bin/env bash
# Runs bench_sprites windowed at 1x in a private 400 x 300 X server.
#   bench/sprites/run.sh [BUILD_DIR] [--images DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
export LIBGL_ALWAYS_SOFTWARE=1
shift || true
exec xvfb-run -a -s "-screen 0 400x300x24" "$build/bench/sprites/bench_sprites" "$@"
