#!/usr/bin/env bash
# Runs bench_sprites windowed at 1x in a private 400 x 300 X server, then the
# same sprite workload in LÖVE (love/, when the `love` package is
# installed: `apt-get install love`; the benchmark alone needs it) and the
# ratio of the two, per wall-clock ms and per CPU ms, from this run.
#   bench/sprites/run.sh [BUILD_DIR] [--images DIR]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=${1:-$root/build}
export LIBGL_ALWAYS_SOFTWARE=1
shift || true
screen=(-s "-screen 0 400x300x24")
if [[ $# -gt 0 ]]; then
  exec xvfb-run -a "${screen[@]}" "$build/bench/sprites/bench_sprites" "$@"
fi
ours=$(mktemp)
peer=$(mktemp)
trap 'rm -f "$ours" "$peer"' EXIT
xvfb-run -a "${screen[@]}" "$build/bench/sprites/bench_sprites" | tee "$ours"
if ! command -v love >/dev/null; then
  echo "peer: love is not installed; no side-by-side figures"
  exit 0
fi
echo "peer (LÖVE $(love --version 2>/dev/null | sed -n 's/.*LOVE \([0-9.]*\).*/\1/p')):"
xvfb-run -a "${screen[@]}" love "$here/love" 2>/dev/null | tee "$peer"
# "N = 1000: 84.0 sprites/ms, 120.0 per CPU ms" in both outputs.
awk '
  FNR == 1 { file++ }
  /^N = / { n = $3; sub(":", "", n); wall[file, n] = $4; cpu[file, n] = $6; ns[n] = 1 }
  END {
    for (n in ns)
      if ((1, n) in wall && (2, n) in wall && wall[2, n] > 0 && cpu[2, n] > 0)
        printf "ratio runtime / LÖVE, N = %5d: %.2f wall, %.2f CPU\n", n,
               wall[1, n] / wall[2, n], cpu[1, n] / cpu[2, n]
  }' "$ours" "$peer" | sort -t= -k2 -n
