#!/usr/bin/env bash
# The game on a machine whose sound device does not open (SDL's audio driver
# named as one that does not exist): a quick Return on the menu's Options
# entry opens the Options screen and stays there, as it does with a sound
# card, since the menu still holds for its confirm sound's length.
#
#   zelvo2_no_sound_e2e.sh BINARY
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
binary=$(readlink -f "$1")
run_dir=$(dirname "$binary")

start_x 1280x1024x24
start_wm
export SDL_AUDIODRIVER=no-such-driver
export XDG_CONFIG_HOME=$E2E_WORK/config
game=$E2E_WORK/game
mkdir -p "$game"
cp "$binary" "$game/"
for asset in gfx sound sound.sbx; do ln -s "$run_dir/$asset" "$game/$asset"; done

fail() {
  echo "zelvo2 no-sound e2e: $*" >&2
  cat "$E2E_WORK/stderr" >&2 2>/dev/null
  [ -n "${E2E_APP:-}" ] && kill -9 "$E2E_APP" 2>/dev/null
  exit 1
}

# Whether the screen shows the Options screen: the music bar (row 1, at
# logical y 110..121) is black up to its level (0.35 of 150 px from x 90)
# and white after it. The logical screen is scaled 4x, 32 rows down.
options_shown() {
  python3 "$here/xshot.py" "$E2E_WORK/shot.png" || return 1
  python3 - "$E2E_WORK/shot.png" "$here/../../scripts" <<'EOF'
import sys
sys.path.insert(0, sys.argv[2])
from png_rows import read_png
w, h, channels, rows = read_png(sys.argv[1])
def pixel(lx, ly):
    x, y = 4 * lx + 2, 32 + 4 * ly + 2
    return rows[y][channels * x:channels * x + 3]
black = all(max(pixel(x, 115)) < 40 for x in (95, 120, 138))
white = all(min(pixel(x, 115)) > 215 for x in (150, 200, 235))
sys.exit(0 if black and white else 1)
EOF
}

TMPDIR=$E2E_WORK "$game/zelvo2" >"$E2E_WORK/stdout" 2>"$E2E_WORK/stderr" &
E2E_APP=$!
box=$(wait_window "!!OpenGL Software Emulation!!") || fail "no software renderer box"
press "$box" Return
main=$(wait_window "Zelvo2") || fail "no game window"
sleep 1.5
grep -q "No sound device" "$E2E_WORK/ErrorLog.txt" || fail "a sound device opened after all"
press "$main" Down
sleep 0.3
# A quick press, as a person makes it: down for a tenth of a second.
press "$main" Return
sleep 1.5
options_shown || fail "the Options screen did not open"
sleep 1
options_shown || fail "the Options screen did not stay"
press "$main" Escape
wait_exit "$E2E_APP" 10
[ "$E2E_STATUS" = 0 ] || fail "Escape ended the game with status $E2E_STATUS"
E2E_APP=
echo "zelvo2 no-sound e2e: passed"
