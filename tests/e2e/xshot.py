#!/usr/bin/env python3
"""Writes a PNG of the X screen (or of one window) on $DISPLAY.

    xshot.py OUT.png [WINDOW_ID]

Reads the pixels with libX11's XGetImage through ctypes and writes the PNG
with zlib, so end-to-end tests need no screenshot tool. Expects a 24- or
32-bit TrueColor visual, which the tests' Xvfb has.
"""
import ctypes
import ctypes.util
import struct
import sys
import zlib


class XImage(ctypes.Structure):
    _fields_ = [
        ("width", ctypes.c_int),
        ("height", ctypes.c_int),
        ("xoffset", ctypes.c_int),
        ("format", ctypes.c_int),
        ("data", ctypes.POINTER(ctypes.c_ubyte)),
        ("byte_order", ctypes.c_int),
        ("bitmap_unit", ctypes.c_int),
        ("bitmap_bit_order", ctypes.c_int),
        ("bitmap_pad", ctypes.c_int),
        ("depth", ctypes.c_int),
        ("bytes_per_line", ctypes.c_int),
        ("bits_per_pixel", ctypes.c_int),
        ("red_mask", ctypes.c_ulong),
        ("green_mask", ctypes.c_ulong),
        ("blue_mask", ctypes.c_ulong),
    ]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int),
                ("height", ctypes.c_int), ("rest", ctypes.c_byte * 256)]


def grab(window_id=None):
    x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, ctypes.c_ulong,
                                         ctypes.POINTER(XWindowAttributes)]
    x11.XGetImage.restype = ctypes.POINTER(XImage)
    x11.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                              ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("xshot: cannot open the display")
    window = window_id if window_id is not None else x11.XDefaultRootWindow(display)
    attributes = XWindowAttributes()
    x11.XGetWindowAttributes(display, window, ctypes.byref(attributes))
    w, h = attributes.width, attributes.height
    all_planes = (1 << 64) - 1 if ctypes.sizeof(ctypes.c_ulong) == 8 else (1 << 32) - 1
    image = x11.XGetImage(display, window, 0, 0, w, h, all_planes, 2)  # ZPixmap
    if not image:
        sys.exit("xshot: XGetImage failed")
    img = image.contents
    if img.bits_per_pixel != 32:
        sys.exit("xshot: only 32-bit pixels are handled")
    raw = ctypes.string_at(img.data, img.bytes_per_line * h)
    rows = []
    for y in range(h):
        line = raw[y * img.bytes_per_line:y * img.bytes_per_line + 4 * w]
        # Little-endian BGRX to RGB.
        rgb = bytearray(3 * w)
        rgb[0::3] = line[2::4]
        rgb[1::3] = line[1::4]
        rgb[2::3] = line[0::4]
        rows.append(b"\0" + bytes(rgb))
    return w, h, b"".join(rows)


def write_png(path, w, h, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(rows, 6)))
        out.write(chunk(b"IEND", b""))


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    window = int(sys.argv[2], 0) if len(sys.argv) > 2 else None
    w, h, rows = grab(window)
    write_png(sys.argv[1], w, h, rows)


if __name__ == "__main__":
    main()
