#!/usr/bin/env bash
# Frame pacing and start-up time of the frames example, windowed at 1x in a
# small private X server (400 x 300, so the 320 x 240 screen is not scaled).
#   bench/frame_pacing/run.sh [BUILD_DIR] [FRAMES]
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${1:-$root/build}
frames=${2:-600}
source "$root/tests/e2e/xsession.sh"
start_x 400x300x24
cd "$build/run"
launched=$EPOCHREALTIME
TMPDIR=$E2E_WORK ./frames --bench "$frames" "$launched" >"$E2E_WORK/out" 2>&1 &
E2E_APP=$!
if box=$(wait_window "!!OpenGL Software Emulation!!" 5 2>/dev/null); then
  press "$box" Return
fi
# A plain wait: a polling loop would start a process every few milliseconds
# and disturb the timing it is there to measure.
wait "$E2E_APP"
E2E_STATUS=$?
E2E_APP=
grep -v -e '^FBO$' -e '^Viewport$' -e '^GFX seem OK$' "$E2E_WORK/out"
exit "$E2E_STATUS"
