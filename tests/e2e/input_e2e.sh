#!/usr/bin/env bash
# Drives the input example in an X server as a player would: a key held and
# released, a letter typed with Shift, mouse motion and a click, the focus
# taken away and given back, and Escape. The session is recorded; replaying
# the recording must print exactly what the live run printed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
binary=$1

start_x 1280x1024x24
tmp=$E2E_WORK/tmp
mkdir -p "$tmp"
out=$E2E_WORK/live.txt
replay=$E2E_WORK/session.replay

fail() {
  echo "$1" >&2
  echo "--- output" >&2
  cat "$out" >&2
  cat "$E2E_WORK/stderr" >&2
  exit 1
}

# Waits until a line after the last one matched so far matches the pattern.
# A loaded machine may print the next change before this looks, so the
# newest line alone is not enough.
seen=0
wait_line() {
  local pattern=$1 deadline=$((SECONDS + 10)) n=
  until n=$(tail -n +$((seen + 1)) "$out" | grep -nE -m1 -- "$pattern" | cut -d: -f1) && [ -n "$n" ]; do
    [ $SECONDS -ge $deadline ] && fail "no line matching '$pattern'"
    sleep 0.05
  done
  seen=$((seen + n))
}

# Starts the example with the given options and, for a person's run,
# dismisses the software renderer warning; sets main to its window.
launch() {
  seen=0
  TMPDIR=$tmp "$binary" "$@" >"$out" 2>"$E2E_WORK/stderr" &
  E2E_APP=$!
  local box
  if [ "$1" != --replay ]; then
    box=$(wait_window "!!OpenGL Software Emulation!!") || exit 1
    press "$box" Return
  fi
  main=$(wait_window "Input") || exit 1
  xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
  wait_line '^frame [0-9]+ keys:'
}

launch --record "$replay"
sleep 0.3

# A key held and released.
xdotool keydown d
wait_line 'keys: 32 \|'
xdotool keyup d
wait_line 'keys: \|'

# A letter typed with Shift.
xdotool key shift+b
wait_line 'typed: dB \|'

# Mouse motion (the 320 x 240 screen is shown three times enlarged) and a
# click.
xdotool mousemove --window "$main" 31 61
wait_line 'mouse 10,20 buttons 000'
xdotool mousemove --window "$main" 480 360
wait_line 'mouse 160,120 buttons 000'
xdotool mousedown 1
wait_line 'buttons 100'
xdotool mouseup 1
wait_line 'buttons 000'

# The focus goes to another window while a key is held: the key stays held
# until the focus comes back.
xdotool keydown x
wait_line 'keys: 45 \|'
xmessage -title Other "other window" &
other_pid=$!
other=$(wait_window "Other") || fail "no other window"
xdotool windowfocus --sync "$other" 2>/dev/null || xdotool windowfocus "$other"
xdotool keyup x
sleep 0.5
tail -n1 "$out" | grep -qE 'keys: 45 \|' || fail "key state changed while unfocused"
kill "$other_pid"
xdotool windowfocus --sync "$main" 2>/dev/null || xdotool windowfocus "$main"
wait_line 'keys: \|'

press "$main" Escape
wait_exit "$E2E_APP" 10
[ "$E2E_STATUS" = 0 ] || fail "ended with status $E2E_STATUS after Escape"
E2E_APP=
cp "$out" "$E2E_WORK/recorded.txt"

# The replay runs on its own: a scripted run shows no warning box, which
# would hold it until the time-out.
launch --replay "$replay"
wait_exit "$E2E_APP" 20
[ "$E2E_STATUS" = 0 ] || fail "replay ended with status $E2E_STATUS"
E2E_APP=
if ! diff "$E2E_WORK/recorded.txt" "$out" >&2; then
  fail "the replay printed something else"
fi
echo "input e2e: $(wc -l <"$out") lines live and replayed alike"
