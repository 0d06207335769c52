#!/usr/bin/env bash
# A first program of the runtime run the way a script or a CI job runs it:
# in an X server with no window manager and nobody at it, keys from a
# replay. It must end by itself without a warning box, print nothing on
# standard output, draw its sprite with the default key transparent, play
# its sound on the letter key, and leave its two failed loads in the error
# log.
#
#   newcomer_e2e.sh BINARY
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/xsession.sh"
binary=$1

start_x 640x480x24
tmp=$E2E_WORK/tmp
assets=$E2E_WORK/assets
mkdir -p "$tmp" "$assets"

fail() {
  echo "newcomer e2e: $*" >&2
  cat "$E2E_WORK/stderr" >&2 2>/dev/null
  [ -n "${E2E_APP:-}" ] && kill -9 "$E2E_APP" 2>/dev/null
  exit 1
}

# A 16 x 16 ship, yellow on the default key colour (packed 0x8000FF: red
# 255, blue 128), and a tenth of a second of tone.
python3 - "$assets" <<'PY'
import math, struct, sys
folder = sys.argv[1]
w = h = 16
rows = b""
for y in range(h):
    row = b""
    for x in range(w):
        inside = 4 <= x < 12 and 4 <= y < 12
        row += bytes((0, 255, 255)) if inside else bytes((128, 0, 255))  # B, G, R
    rows += row
header = struct.pack("<2sIHHI", b"BM", 54 + len(rows), 0, 0, 54)
info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(rows), 0, 0, 0, 0)
open(folder + "/ship.bmp", "wb").write(header + info + rows)
rate, n = 22050, 2205
data = b"".join(struct.pack("<h", int(8000 * math.sin(i * 0.2))) for i in range(n))
wav = (b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " +
       struct.pack("<IHHIIHH", 16, 1, 1, rate, rate * 2, 2, 16) +
       b"data" + struct.pack("<I", len(data)) + data)
open(folder + "/beep.wav", "wb").write(wav)
PY

# A taps at frame 10, Escape held at frame 45.
printf 'input-replay 1\n10 keys=30\n12 keys=-\n45 keys=1\n' >"$E2E_WORK/keys.replay"

TMPDIR=$tmp "$binary" "$assets" "$E2E_WORK/keys.replay" "$E2E_WORK/shot.png" \
  >"$E2E_WORK/stdout" 2>"$E2E_WORK/stderr" &
E2E_APP=$!
deadline=$((SECONDS + 30))
while ps -o stat= -p "$E2E_APP" 2>/dev/null | grep -qv Z; do
  if xwininfo -root -tree 2>/dev/null | grep -qF '"!!OpenGL Software Emulation!!"'; then
    fail "a warning box came up in a replayed run"
  fi
  [ $SECONDS -ge $deadline ] && fail "did not end by itself within 30 s"
  sleep 0.1
done
wait "$E2E_APP"
status=$?
E2E_APP=
[ "$status" = 0 ] || fail "ended with status $status"

if [ -s "$E2E_WORK/stdout" ]; then
  echo "standard output:" >&2
  head -5 "$E2E_WORK/stdout" >&2
  fail "printed on standard output"
fi
grep -qx "sprite loaded: 1" "$E2E_WORK/stderr" || fail "the sprite did not load"
grep -qx "sounds played: 1, not played: 1" "$E2E_WORK/stderr" || fail "the A key played no sound"

log=$(tr -d '\r' <"$tmp/ErrorLog.txt")
for line in \
  "SpriteFromFile: cannot load \"$assets/no-such-picture.png\": no such file" \
  "LoadSound: cannot load \"$assets/no-such-sound.wav\": no such file"; do
  grep -qxF "$line" <<<"$log" || fail "no line '$line' in the error log"
done
grep -qx "OpenGL Software Emulation" <<<"$log" || fail "the software renderer went unlogged"
[ "$(grep -c 'cannot load' <<<"$log")" = 2 ] || fail "other failed loads: $log"

# The ship scaled 3x about its centre (48,48, from the unscaled top-left
# 40,40) has its yellow middle over 36..59, and the background shows where
# its key colour was.
python3 - "$E2E_WORK/shot.png" "$here/../../scripts" <<'PY' || fail "the sprite is not drawn keyed"
import sys
sys.path.insert(0, sys.argv[2])
from png_rows import read_png
w, h, channels, rows = read_png(sys.argv[1])
def at(x, y):
    return tuple(rows[y][x * channels:x * channels + 3])
inside, corner = at(40, 40), at(20, 20)
ok = inside[0] > 200 and inside[1] > 200 and inside[2] < 60 and corner == (20, 40, 90)
if not ok:
    print("inside", inside, "corner", corner, file=sys.stderr)
sys.exit(0 if ok else 1)
PY
echo "newcomer e2e: replayed without a box, silent on standard output, failed loads logged"
