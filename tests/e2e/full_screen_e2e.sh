#!/usr/bin/env bash
# Starts the game, which runs full screen, on an X screen of the given size
# and checks from a screenshot that the menu fills the screen: whole-number
# scale, centred, black borders. Then Alt+Enter must give the centred
# window back and a second Alt+Enter full screen again.
#
#   full_screen_e2e.sh BINARY SCREEN [wm|stale-wm] [SHOT_DIR]
#
# Without a third argument no window manager runs; "wm" starts one;
# "stale-wm" starts one and kills it so hard that its announcement stays on
# the root window, naming a window that is gone.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
binary=$1
screen=$2
manager=${3:-}
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}

start_x "${screen}x24"
shots=${4:-$E2E_WORK/shots}
mkdir -p "$shots"
case "$manager" in
  wm) start_wm ;;
  stale-wm)
    # The server forgets every property when its last client leaves; a
    # client that stays keeps the dead manager's announcement on the root.
    xprop -root -spy _NET_ACTIVE_WINDOW >/dev/null 2>&1 &
    keeper=$!
    trap 'kill "$keeper" 2>/dev/null; stop_x' EXIT
    start_wm
    kill -9 "$E2E_WM"
    wait "$E2E_WM" 2>/dev/null
    E2E_WM=
    xprop -root _NET_SUPPORTING_WM_CHECK | grep -q 'window id' ||
      { echo "the killed window manager left nothing behind" >&2; exit 1; }
    ;;
  "") ;;
  *) echo "unknown window manager mode '$manager'" >&2; exit 2 ;;
esac
tmp=$E2E_WORK/tmp
mkdir -p "$tmp"

fail() {
  echo "full screen on $screen ${manager:-without a window manager}: $*" >&2
  cat "$E2E_WORK/stderr" >&2 2>/dev/null
  exit 1
}
geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/{x=$4} /Absolute upper-left Y:/{y=$4}
    /Width:/{w=$2} /Height:/{h=$2} END{print w "x" h "+" x "+" y}'
}
wait_geometry() {
  local want=$2 deadline=$((SECONDS + 10))
  while [ "$(geometry "$1")" != "$want" ]; do
    [ $SECONDS -ge $deadline ] && fail "window is $(geometry "$1"), expected $want"
    sleep 0.05
  done
}

# The warning box about the software renderer is another test's business.
BRAKMOR_NO_SOFTWARE_BOX=1 TMPDIR=$tmp "$binary" >"$E2E_WORK/stdout" 2>"$E2E_WORK/stderr" &
E2E_APP=$!
main=$(wait_window "Zelvo2" 20) || fail "no game window"
wait_geometry "$main" "$screen+0+0"
python3 "$here/screen_fill.py" "$shots/full.png" 320 240 30 || fail "the menu does not fill the screen"

# The windowed size: the largest whole scale within 80% of the screen.
width=${screen%x*}
height=${screen#*x}
scale=$(((width * 8 / 10) / 320))
scale_h=$(((height * 8 / 10) / 240))
[ $scale_h -lt $scale ] && scale=$scale_h
[ $scale -lt 1 ] && scale=1
window_w=$((320 * scale))
window_h=$((240 * scale))
press "$main" alt+Return
if [ "$manager" = wm ]; then
  # The window manager places the frame; only the size is the program's.
  deadline=$((SECONDS + 10))
  until geometry "$main" | grep -q "^${window_w}x${window_h}+"; do
    [ $SECONDS -ge $deadline ] && fail "window is $(geometry "$main") after Alt+Enter"
    sleep 0.05
  done
else
  wait_geometry "$main" "${window_w}x${window_h}+$(((width - window_w) / 2))+$(((height - window_h) / 2))"
fi
sleep 0.3
press "$main" alt+Return
wait_geometry "$main" "$screen+0+0"
python3 "$here/screen_fill.py" "$shots/again.png" 320 240 30 ||
  fail "the menu does not fill the screen after going back to full screen"

press "$main" Escape
wait_exit "$E2E_APP" 20
status=$E2E_STATUS
E2E_APP=
[ "$status" = 0 ] || fail "the game ended with status $status"
echo "full screen on $screen ${manager:-without a window manager}: the menu fills the screen"
