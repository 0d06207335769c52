# Helpers for end-to-end tests: a private X server and a player's hands.
# Sourced by the test scripts; needs Xvfb, xdotool and xwininfo.

# Starts Xvfb with the given screen (e.g. 1280x1024x24) and exports DISPLAY.
start_x() {
  local screen=$1 fifo
  E2E_WORK=$(mktemp -d)
  fifo=$E2E_WORK/displayfd
  mkfifo "$fifo"
  Xvfb -displayfd 9 -screen 0 "$screen" -nolisten tcp 9>"$fifo" >/dev/null 2>&1 &
  E2E_XPID=$!
  local num
  if ! read -r -t 10 num <"$fifo"; then
    echo "Xvfb did not start" >&2
    exit 1
  fi
  export DISPLAY=":$num"
  unset SDL_VIDEODRIVER WAYLAND_DISPLAY
  trap stop_x EXIT
}

# Starts a window manager on the private server (for full-screen tests).
start_wm() {
  openbox --sm-disable >/dev/null 2>&1 &
  E2E_WM=$!
  local deadline=$((SECONDS + 10))
  until xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; do
    if [ $SECONDS -ge $deadline ]; then
      echo "window manager did not start" >&2
      exit 1
    fi
    sleep 0.05
  done
}

stop_x() {
  [ -n "${E2E_WM:-}" ] && kill "$E2E_WM" 2>/dev/null
  [ -n "${E2E_APP:-}" ] && kill "$E2E_APP" 2>/dev/null
  [ -n "${E2E_XPID:-}" ] && kill "$E2E_XPID" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$E2E_WORK"
}

# Prints the id of the first top-level window whose title is exactly $1,
# waiting up to $2 seconds (default 10). xdotool's own search misses titles
# that are set as UTF-8 only, so the window tree is read instead.
wait_window() {
  local title=$1 limit=${2:-10} id
  local deadline=$((SECONDS + limit))
  while [ $SECONDS -lt $deadline ]; do
    id=$(xwininfo -root -tree 2>/dev/null | grep -F "\"$title\": (" | awk '{print $1}' | head -n1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    sleep 0.05
  done
  echo "no window titled '$title' within ${limit}s" >&2
  return 1
}

# Presses a key combination in a window the way a person would: focus it,
# hold the keys for a tenth of a second, let go.
press() {
  local window=$1 keys=$2
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  xdotool keydown "$keys"
  sleep 0.1
  xdotool keyup "$keys"
}

# Waits for process $1 to end within $2 seconds and stores its status in
# E2E_STATUS (124 on time-out, when the process is killed unless $3 is
# "keep"). Runs in the calling shell (never in $(...)): only the parent
# can reap the child, and an unreaped child still answers kill -0.
wait_exit() {
  local pid=$1 limit=${2:-10}
  local deadline=$((SECONDS + limit))
  while ps -o stat= -p "$pid" 2>/dev/null | grep -qv Z; do
    if [ $SECONDS -ge $deadline ]; then
      E2E_STATUS=124
      [ "${3:-}" = keep ] && return
      echo "process $pid still running after ${limit}s" >&2
      kill -9 "$pid" 2>/dev/null
      wait "$pid" 2>/dev/null
      return
    fi
    sleep 0.05
  done
  wait "$pid"
  E2E_STATUS=$?
}
