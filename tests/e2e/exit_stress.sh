#!/usr/bin/env bash
# Starts the frames example and ends it with Escape, RUNS times (default
# 200) in one X server, while BURNERS busy loops (default 2) keep the
# processors loaded. Every run must end within 20 s of the key with status
# 0; a run that does not is a hang at exit: its threads' stacks are printed
# (when gdb is there), it is killed and the test fails.
#
#   exit_stress.sh BINARY [RUNS] [BURNERS]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
binary=$1
runs=${2:-200}
burners=${3:-2}

start_x 640x480x24
# The server resets when its last client leaves, and a program starting in
# that moment loses its window; a client that stays keeps every run's
# server the same.
xprop -root -spy _NET_ACTIVE_WINDOW >/dev/null 2>&1 &
keeper=$!
tmp=$E2E_WORK/tmp
mkdir -p "$tmp"
burner_pids=()
stop_all() {
  for pid in "${burner_pids[@]}"; do kill "$pid" 2>/dev/null; done
  kill "$keeper" 2>/dev/null
  stop_x
}
trap stop_all EXIT
for ((b = 0; b < burners; b++)); do
  (while :; do :; done) &
  burner_pids+=($!)
done

hangs=0
failures=0
lost=0
started=$SECONDS
for ((run = 1; run <= runs; run++)); do
  BRAKMOR_NO_SOFTWARE_BOX=1 TMPDIR=$tmp "$binary" >/dev/null 2>"$E2E_WORK/stderr" &
  E2E_APP=$!
  if ! main=$(wait_window "Frames" 30); then
    kill -9 "$E2E_APP" 2>/dev/null
    wait "$E2E_APP" 2>/dev/null
    # Seen on a machine running many X servers at once: the program ran its
    # frames with a window on some other server, and this one stayed
    # empty. That says nothing about ending; the run is made again, within
    # reason.
    windows=$(xwininfo -root -tree 2>/dev/null | awk '/ child(ren)?\.$/{print $1; exit}')
    if [ "$windows" != 0 ] || [ $lost -ge $((runs / 10)) ]; then
      echo "run $run: no window" >&2
      failures=$((failures + 1))
    else
      echo "run $run: the window went to another X server; run again" >&2
      lost=$((lost + 1))
      run=$((run - 1))
    fi
    continue
  fi
  # Straight to the window, no focus dance: the key lands at any point of
  # a frame, as a player's does.
  xdotool key --window "$main" Escape
  wait_exit "$E2E_APP" 20 keep
  if [ "$E2E_STATUS" = 124 ]; then
    hangs=$((hangs + 1))
    echo "run $run: still running 20 s after Escape" >&2
    if command -v gdb >/dev/null; then
      gdb -p "$E2E_APP" -batch -ex "thread apply all bt" 2>/dev/null | grep -E '^(Thread|#)' >&2
    fi
    kill -9 "$E2E_APP" 2>/dev/null
    wait "$E2E_APP" 2>/dev/null
  elif [ "$E2E_STATUS" != 0 ]; then
    echo "run $run: ended with status $E2E_STATUS" >&2
    cat "$E2E_WORK/stderr" >&2
    failures=$((failures + 1))
  fi
  E2E_APP=
  # The server drops a finished program's window a moment after the
  # process is gone; the next run must not find that one and press Escape
  # into nothing.
  deadline=$((SECONDS + 10))
  while xwininfo -root -tree 2>/dev/null | grep -qF '"Frames": ('; do
    [ $SECONDS -ge $deadline ] && { echo "run $run: the window outlived its program" >&2; break; }
    sleep 0.02
  done
done
echo "$runs runs in $((SECONDS - started)) s with $burners busy loops:" \
  "$hangs hung at exit, $failures failed otherwise, $lost made again; load $(cut -d' ' -f1-3 /proc/loadavg)"
[ $hangs = 0 ] && [ $failures = 0 ]
