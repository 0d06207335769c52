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
python3 - "$work/rooms" "$out" <<'EOF'
import struct, sys, zlib

def read_png(path):
    data = open(path, "rb").read()
    pos, idat, w = 8, b"", 0
    while pos < len(data):
        n, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + n]
        if kind == b"IHDR":
            w, h, depth, colour = struct.unpack(">IIBB", body[:10])
            channels = {2: 3, 6: 4}[colour]
            assert depth == 8
        elif kind == b"IDAT":
            idat += body
        pos += 12 + n
    raw = zlib.decompress(idat)
    stride = w * channels
    rows, prev = [], bytearray(stride)
    for y in range(h):
        f = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            a = line[i - channels] if i >= channels else 0
            b = prev[i]
            c = prev[i - channels] if i >= channels else 0
            if f == 1: line[i] = (line[i] + a) & 255
            elif f == 2: line[i] = (line[i] + b) & 255
            elif f == 3: line[i] = (line[i] + (a + b) // 2) & 255
            elif f == 4:
                p = a + b - c
                pa, pb, pc = abs(p - a), abs(p - b), abs(p - c)
                pred = a if pa <= pb and pa <= pc else (b if pb <= pc else c)
                line[i] = (line[i] + pred) & 255
        rows.append(bytes(line) if channels == 3 else
                    bytes(v for j, v in enumerate(line) if j % 4 != 3))
        prev = line
    return w, h, rows

folder, out = sys.argv[1], sys.argv[2]
columns, gap = 8, 4
rooms = [read_png(f"{folder}/room_{r:02d}.png") for r in range(52)]
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
