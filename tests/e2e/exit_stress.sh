#!/usr/bin/env bash
# Starts the frames example and ends it with Escape, RUNS times (default
# 200) in one X server, while BURNERS busy loops (default 2) keep the
# processors loaded. Every other run has Escape held from before the start,
# so the program ends in its first frame, half way through drawing
# "Loading..."; the others press it while frames run. Every run must end
# within 20 s of the key with status 0; a run that does not is a hang at
# exit: its threads' stacks are printed (when gdb is there), it is killed
# and the test fails.
#
#   exit_stress.sh BINARY [RUNS] [BURNERS]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
binary=$1
runs=${2:-200}
burners=${3:-2}

start_x 640x480x24
# The server resets when its last client leaves; a client that stays keeps
# one server for every run.
xprop -root -spy _NET_ACTIVE_WINDOW >/dev/null 2>&1 &
keeper=$!
tmp=$E2E_WORK/tmp
mkdir -p "$tmp"
burner_pids=()
stop_all() {
  xdotool keyup Escape 2>/dev/null
  for pid in "${burner_pids[@]}"; do kill "$pid" 2>/dev/null; done
  kill "$keeper" 2>/dev/null
  stop_x
}
trap stop_all EXIT
for ((b = 0; b < burners; b++)); do
  (while :; do :; done) &
  burner_pids+=($!)
done
# Without a window manager the focus follows the pointer: in the middle of
# the screen it is over the centred window.
xdotool mousemove 320 240

# An unreaped child still answers kill -0; its state tells.
running() { ps -o stat= -p "$1" 2>/dev/null | grep -qv Z; }
# The visible window of process $1 (SDL names the owner in _NET_WM_PID),
# waiting up to $2 seconds; empty when there is none or the process ended.
window_of() {
  local deadline=$((SECONDS + $2)) id=
  while [ $SECONDS -lt $deadline ] && running "$1"; do
    id=$(xdotool search --onlyvisible --pid "$1" 2>/dev/null | tail -n 1)
    [ -n "$id" ] && break
    sleep 0.05
  done
  echo "$id"
}
hung() {
  hangs=$((hangs + 1))
  echo "run $run: still running 20 s after Escape ($1)" >&2
  if command -v gdb >/dev/null; then
    gdb -p "$E2E_APP" -batch -ex "thread apply all bt" 2>/dev/null | grep -E '^(Thread|#)' >&2
  fi
  kill -9 "$E2E_APP" 2>/dev/null
  wait "$E2E_APP" 2>/dev/null
  E2E_STATUS=0
}

hangs=0
failures=0
started=$SECONDS
for ((run = 1; run <= runs; run++)); do
  # Real key presses (XTEST), as a player's. A synthetic one sent to the
  # window is no good: the next program would read Escape as held from its
  # first frame.
  held=$((run % 2))
  [ $held = 1 ] && xdotool keydown Escape
  BRAKMOR_NO_SOFTWARE_BOX=1 TMPDIR=$tmp "$binary" >/dev/null 2>"$E2E_WORK/stderr" &
  E2E_APP=$!
  if [ $held = 1 ]; then
    wait_exit "$E2E_APP" 20 keep
    if [ "$E2E_STATUS" = 124 ]; then
      # Still running: it may never have had the focus to see the key.
      main=$(window_of "$E2E_APP" 1)
      if [ -n "$main" ]; then
        xdotool windowfocus "$main" 2>/dev/null
        wait_exit "$E2E_APP" 20 keep
      fi
      [ "$E2E_STATUS" = 124 ] && hung "held from the start"
    fi
    xdotool keyup Escape
  else
    main=$(window_of "$E2E_APP" 30)
    if [ -z "$main" ]; then
      echo "run $run: no window" >&2
      kill -9 "$E2E_APP" 2>/dev/null
      wait "$E2E_APP" 2>/dev/null
      cat "$E2E_WORK/stderr" >&2
      failures=$((failures + 1))
      continue
    fi
    xdotool windowfocus "$main" 2>/dev/null
    xdotool key Escape
    wait_exit "$E2E_APP" 20 keep
    [ "$E2E_STATUS" = 124 ] && hung "pressed while running"
  fi
  if [ "$E2E_STATUS" != 0 ]; then
    echo "run $run: ended with status $E2E_STATUS" >&2
    cat "$E2E_WORK/stderr" >&2
    failures=$((failures + 1))
  fi
  E2E_APP=
done
echo "$runs runs in $((SECONDS - started)) s with $burners busy loops:" \
  "$hangs hung at exit, $failures failed otherwise; load $(cut -d' ' -f1-3 /proc/loadavg)"
[ $hangs = 0 ] && [ $failures = 0 ]
