#!/usr/bin/env bash
# Starts the real frames example in an X server, dismisses the software
# renderer warning with Return as a person would, lets it run, and ends it
# with the key given ("Escape" or "alt+F4"). It must end with status 0,
# leave the start-up lines in its log and nothing on standard output. With a third argument "toggle" it
# first switches to full screen and back with Alt+Enter and checks the
# window's size each time.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
binary=$1
quit_keys=$2

start_x 1280x1024x24
if [ "${3:-}" = toggle ]; then
  # Full screen is a window manager's business; players always have one.
  start_wm
fi
tmp=$E2E_WORK/tmp
mkdir -p "$tmp"

TMPDIR=$tmp "$binary" >"$E2E_WORK/stdout" 2>"$E2E_WORK/stderr" &
E2E_APP=$!

box=$(wait_window "!!OpenGL Software Emulation!!") || exit 1
press "$box" Return
main=$(wait_window "Frames") || exit 1
sleep 1
if ! kill -0 "$E2E_APP" 2>/dev/null; then
  echo "frames ended on its own" >&2
  cat "$E2E_WORK/stderr" >&2
  exit 1
fi
window_size() {
  xwininfo -id "$1" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w "x" h}'
}
wait_size() {
  local want=$2 deadline=$((SECONDS + 5))
  while [ "$(window_size "$1")" != "$want" ]; do
    if [ $SECONDS -ge $deadline ]; then
      echo "window is $(window_size "$1"), expected $want" >&2
      exit 1
    fi
    sleep 0.05
  done
}
if [ "${3:-}" = toggle ]; then
  # 80% of 1280 x 1024 holds the 320 x 240 screen three times.
  wait_size "$main" 960x720
  press "$main" alt+Return
  wait_size "$main" 1280x1024
  sleep 0.3
  press "$main" alt+Return
  wait_size "$main" 960x720
  kill -0 "$E2E_APP" || { echo "frames died while switching modes" >&2; exit 1; }
fi
press "$main" "$quit_keys"
pressed_at=$SECONDS
wait_exit "$E2E_APP" 10 keep
if [ "$E2E_STATUS" = 124 ]; then
  # Seen once in a heavily loaded sanitizer run: the program did not end.
  # Say what the window looked like, then press once more, so an X server
  # hiccup does not fail the run while a program that ignores the key does.
  echo "still running after $quit_keys; title '$(xdotool getwindowname "$main" 2>&1)'," \
    "focus $(xdotool getwindowfocus 2>&1), window $((main)); pressing again" >&2
  press "$main" "$quit_keys"
  wait_exit "$E2E_APP" 20
fi
status=$E2E_STATUS
E2E_APP=
if [ "$status" != 0 ]; then
  echo "frames ended with status $status after $quit_keys" >&2
  cat "$E2E_WORK/stderr" >&2
  exit 1
fi

expected=$'Init GFX\r\nOpenGL Software Emulation\r\nFBO\r\nViewport\r\nGFX seem OK\r\nInit Network\r\nInit Input\r\nInit Sound\r\nInit Window\r\nInit Finalized\r\n'
actual=$(cat "$tmp/ErrorLog.txt"; echo x)
actual=${actual%x}
if [ "$actual" != "$expected" ]; then
  echo "unexpected log:" >&2
  printf '%s' "$actual" | od -c | head -20 >&2
  exit 1
fi
# Standard output is the program's, and frames prints nothing.
if [ -s "$E2E_WORK/stdout" ]; then
  echo "frames printed on standard output:" >&2
  head -5 "$E2E_WORK/stdout" >&2
  exit 1
fi
echo "frames ended cleanly on $quit_keys ($((SECONDS - pressed_at)) s after the key)"
