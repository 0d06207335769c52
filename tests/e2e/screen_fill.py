#!/usr/bin/env python3
"""Checks that the X screen on $DISPLAY shows a program's logical screen
the way full screen must: scaled by the largest whole number that fits,
centred, every border pixel black, and the picture reaching all four of
its edges.

    screen_fill.py OUT.png LOGICAL_W LOGICAL_H [SECONDS]

Grabs the screen until it passes or SECONDS (default 20) are up, so a slow
start under load is waited for; writes the last grab to OUT.png either way
and says on failure what was wrong.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xshot  # noqa: E402

BLACK = b"\0\0\0"


def placement(width, height, lw, lh):
    scale = min(width // lw, height // lh)
    pw, ph = lw * scale, lh * scale
    return scale, (width - pw) // 2, (height - ph) // 2, pw, ph


def problems(width, height, rows, lw, lh):
    """What is wrong with the picture; empty when it fills the screen."""
    scale, x0, y0, pw, ph = placement(width, height, lw, lh)
    if scale < 1:
        return ["the screen is smaller than the logical screen"]
    # rows[y] is a filter byte and then RGB triples.
    pixels = [row[1:] for row in rows]
    found = []
    for y in range(height):
        line = pixels[y]
        if y < y0 or y >= y0 + ph:
            if line != BLACK * width:
                found.append(f"border row {y} is not black")
                break
        elif line[:3 * x0] != BLACK * x0 or line[3 * (x0 + pw):] != BLACK * (width - x0 - pw):
            found.append(f"side border in row {y} is not black")
            break
    # Every logical pixel must be a scale x scale block of one colour.
    logical = []
    for ly in range(lh):
        top = y0 + ly * scale
        first = pixels[top][3 * x0:3 * (x0 + pw)]
        if any(pixels[top + k][3 * x0:3 * (x0 + pw)] != first for k in range(1, scale)):
            found.append(f"logical row {ly} is not {scale} identical screen rows")
            break
        row = []
        for lx in range(lw):
            block = first[3 * lx * scale:3 * (lx + 1) * scale]
            if block != block[:3] * scale:
                found.append(f"logical pixel ({lx}, {ly}) is not {scale} pixels wide")
                return found
            row.append(block[:3] != BLACK)
        logical.append(row)
    if found:
        return found

    def lit(cells):
        return sum(cells) / max(1, len(cells))

    # A picture cut off or shown in part leaves black where it should be.
    regions = {
        "top edge": logical[0],
        "bottom edge": logical[-1],
        "left edge": [r[0] for r in logical],
        "right edge": [r[-1] for r in logical],
    }
    for qy in range(2):
        for qx in range(2):
            regions[f"quarter ({qx}, {qy})"] = [
                c for r in logical[qy * lh // 2:(qy + 1) * lh // 2]
                for c in r[qx * lw // 2:(qx + 1) * lw // 2]
            ]
    for name, cells in regions.items():
        if lit(cells) < 0.5:
            found.append(f"the picture's {name} is mostly black")
    return found


def main():
    if len(sys.argv) < 4:
        sys.exit(__doc__)
    out, lw, lh = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    limit = float(sys.argv[4]) if len(sys.argv) > 4 else 20.0
    deadline = time.monotonic() + limit
    while True:
        width, height, raw = xshot.grab()
        stride = 1 + 3 * width
        rows = [raw[y * stride:(y + 1) * stride] for y in range(height)]
        found = problems(width, height, rows, lw, lh)
        if not found or time.monotonic() >= deadline:
            break
        time.sleep(0.25)
    xshot.write_png(out, width, height, raw)
    if found:
        print(f"{width}x{height} screen: " + "; ".join(found), file=sys.stderr)
        sys.exit(1)
    scale, x0, y0, _, _ = placement(width, height, lw, lh)
    print(f"{width}x{height} screen: picture at scale {scale}, offset ({x0}, {y0})")


if __name__ == "__main__":
    main()
