#!/usr/bin/env bash
# Draws every room of the course as a run enters it (objects at their start,
# the plane at the left wall) and puts the 52 pictures into one atlas,
# 8 rooms a row, each labelled by the display's "Level N".
#
#   scripts/room_atlas.sh [BUILD_DIR] [OUT.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$root/build}" && pwd)
out=$(readlink -f "${2:-$build/room_atlas.png}")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/game" "$work/rooms"
cp "$build/run/zelvo2" "$work/game/"
for asset in gfx sound sound.sbx; do ln -s "$build/run/$asset" "$work/game/$asset"; done
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$work/game/zelvo2" --unpaced \
  --atlas "$work/rooms" >/dev/null
python3 - "$work/rooms" "$out" "$root/scripts" <<'EOF'
import struct, sys, zlib

sys.path.insert(0, sys.argv[3])
from png_rows import read_png


def rgb_rows(path):
    w, h, channels, rows = read_png(path)
    if channels == 4:
        rows = [bytes(v for j, v in enumerate(r) if j % 4 != 3) for r in rows]
    return w, h, rows


folder, out = sys.argv[1], sys.argv[2]
columns, gap = 8, 4
rooms = [rgb_rows(f"{folder}/room_{r:02d}.png") for r in range(52)]
w, h = rooms[0][0], rooms[0][1]
rows_count = (len(rooms) + columns - 1) // columns
W, H = columns * (w + gap) + gap, rows_count * (h + gap) + gap
canvas = [bytearray(b"\x30" * (3 * W)) for _ in range(H)]
for r, (_, _, rows) in enumerate(rooms):
    ox, oy = gap + (r % columns) * (w + gap), gap + (r // columns) * (h + gap)
    for y in range(h):
        canvas[oy + y][3 * ox:3 * (ox + w)] = rows[y]
def chunk(kind, body):
    return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))
with open(out, "wb") as f:
    f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", W, H, 8, 2, 0, 0, 0)))
    f.write(chunk(b"IDAT", zlib.compress(b"".join(b"\0" + bytes(row) for row in canvas), 6)))
    f.write(chunk(b"IEND", b""))
print(out)
EOF
