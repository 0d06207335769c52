#!/usr/bin/env bash
# Plays the real game in an X server as a person would: dismisses the
# software renderer box, checks the first start wrote the default hiscore
# table, walks the menu, changes every bar on the Options screen, starts a
# game, flies right into room 1, loses every plane, enters a name, sees it
# in the table and quits with Escape; then starts again and finds the name
# and the Options values kept. Takes a screenshot at each screen into
# SHOT_DIR (default: a temporary folder that is removed).
#
#   zelvo2_e2e.sh BINARY [SHOT_DIR]
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
binary=$(readlink -f "$1")
# A player has a sound card: the menu holds while its confirm sound plays,
# long enough for the confirming key to come up. SDL's dummy driver plays
# sounds for their length without one.
export SDL_AUDIODRIVER=${SDL_AUDIODRIVER:-dummy}
run_dir=$(dirname "$binary")

start_x 1280x1024x24
# The game runs full screen, which is a window manager's business.
start_wm
shots=${2:-$E2E_WORK/shots}
mkdir -p "$shots"
tmp=$E2E_WORK/tmp
game=$E2E_WORK/game
mkdir -p "$tmp" "$game"
# The settings go to a config folder of the test's own, never the user's.
export XDG_CONFIG_HOME=$E2E_WORK/config
settings=$XDG_CONFIG_HOME/zelvo2/settings.ini
# A folder of its own with the assets, so the hiscore file starts absent.
cp "$binary" "$game/"
for asset in gfx sound sound.sbx; do ln -s "$run_dir/$asset" "$game/$asset"; done

fail() {
  echo "zelvo2 e2e: $*" >&2
  cat "$E2E_WORK/stderr" >&2 2>/dev/null
  # A game held in a modal box does not answer SIGTERM.
  [ -n "${E2E_APP:-}" ] && kill -9 "$E2E_APP" 2>/dev/null
  exit 1
}
shot() { python3 "$here/xshot.py" "$shots/$1.png" || fail "no screenshot $1"; }
key() {
  press "$main" "$1"
  sleep "${2:-0.25}"
}
hold() {
  xdotool keydown "$1"
  sleep "$2"
  xdotool keyup "$1"
}
start_game() {
  TMPDIR=$tmp "$game/zelvo2" >"$E2E_WORK/stdout" 2>"$E2E_WORK/stderr" &
  E2E_APP=$!
  box=$(wait_window "!!OpenGL Software Emulation!!") || fail "no software renderer box"
  press "$box" Return
  main=$(wait_window "Zelvo2") || fail "no game window"
  sleep 1.5
  kill -0 "$E2E_APP" 2>/dev/null || fail "the game ended on its own"
}

# ---- first start ----
start_game
shot 01_menu
# The Return that closed the box must not have confirmed the menu: its
# first entry is still highlighted (orange) rather than a room shown.
python3 - "$shots/01_menu.png" "$here/../../scripts" <<'EOF2' || fail "the menu is not showing after the box"
import sys
sys.path.insert(0, sys.argv[2])
from png_rows import read_png
w, h, channels, rows = read_png(sys.argv[1])
# The logical screen is scaled 4x into 1280 x 960, 32 rows down; the
# highlighted "START GAME" bar spans logical rows 141-152 from x 10.
x, y = 4 * 50, 32 + 4 * 146
r, g, b = rows[y][channels * x:channels * x + 3]
sys.exit(0 if r > 200 and 60 < g < 180 and b < 90 else 1)
EOF2
# The first start wrote the built-in table.
expected_default=$(printf '\x5f\x00\x00\x00VESTRIN\r\n\x05\x00' | od -An -tx1 | tr -d ' \n')
actual_default=$(head -c 15 "$game/Hiscores.dat" | od -An -tx1 | tr -d ' \n')
[ "$(stat -c %s "$game/Hiscores.dat")" = 80 ] || fail "Hiscores.dat is not 80 bytes"
[ "$actual_default" = "$expected_default" ] || fail "Hiscores.dat does not start with VESTRIN"

# Options: Down, Return; then one step right on every row.
key Down
key Return 1
shot 02_options_before
key Right
key Down
key Right
key Down
key Right
key Down
key Right
key Down
shot 03_options_after
key Tab 1
# Each bar's step was remembered as it was made.
setting() { sed -n "s/^$1=//p" "$settings"; }
near() { python3 -c "import sys; sys.exit(abs(float(sys.argv[1]) - float(sys.argv[2])) > 1e-9)" "$@"; }
for expected in masterVolume=0.6 musicLevel=0.4 effectsLevel=1.81 gameSpeed=1.1; do
  value=$(setting "${expected%%=*}")
  near "${value:-x}" "${expected#*=}" 2>/dev/null || fail "settings.ini has ${expected%%=*}=$value"
done

# A table whose lowest row any run beats, so this run enters its name; the
# game re-reads the file at every change of screen.
python3 - "$game/Hiscores.dat" <<'EOF'
import struct, sys
rows = [(0, "LOW", 0), (10, "TEN", 1), (980, "TORVIK", 12), (4430, "ZERAN", 22),
        (27051, "NUMAS", 21), (143950, "BIXU", 51)]
with open(sys.argv[1], "wb") as f:
    for score, name, level in rows:
        f.write(struct.pack("<i", score) + name.encode() + b"\r\n" + struct.pack("<h", level))
EOF

# Play: Return on the first entry, fly right into room 1 (the room slides
# in for about two seconds).
key Return 1.5
shot 04_play_room0
hold Right 2.2
sleep 2.5
shot 05_play_room1
# Lose every plane: each waits in the updraft at the left wall, so fly out
# of it, let go and sink to the floor; relaunch at the prompt.
for plane in 1 2 3 4 5; do
  hold Right 0.4
  sleep 3
  [ "$plane" = 5 ] && break
  [ "$plane" = 1 ] && shot 06_start_prompt
  key Return 0.3
done
sleep 1
shot 07_game_over
key Return 1.5
shot 08_name_entry
# "ZED": Down twice from A gives Z; Right; Up five times from space gives E;
# Right; Up four times gives D.
key Down
key Down
key Right
for i in 1 2 3 4 5; do key Up 0.2; done
key Right
for i in 1 2 3 4; do key Up 0.2; done
shot 09_name_typed
key Return 1.5
shot 10_hiscores
grep -q "ZED     " "$game/Hiscores.dat" || fail "the entered name is not in Hiscores.dat"
key Tab 1
press "$main" Escape
wait_exit "$E2E_APP" 10
[ "$E2E_STATUS" = 0 ] || fail "Escape ended the game with status $E2E_STATUS"
E2E_APP=

# ---- second start: the name is kept ----
start_game
key Down
key Down
key Return 1.5
shot 11_hiscores_again
# Page Down takes a tenth off the master volume the first run left.
key Next 0.5
near "$(setting masterVolume)" 0.5 2>/dev/null ||
  fail "the master volume was not restored: $(setting masterVolume) after Page Down"
press "$main" Escape
wait_exit "$E2E_APP" 10
[ "$E2E_STATUS" = 0 ] || fail "Escape ended the second run with status $E2E_STATUS"
E2E_APP=
grep -q "ZED     " "$game/Hiscores.dat" || fail "the name was lost on the second start"
echo "zelvo2 e2e: passed; screenshots in $shots"
