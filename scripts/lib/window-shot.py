#!/usr/bin/env python3
"""Saves the picture of one X window as a PNG, shadow included.

The installer's windows are translucent: their drop shadow is drawn with
alpha into a 32-bit window. Without a compositing manager (a bare Xvfb) the
screen shows those pixels against black, so a grab of the root window turns
the soft shadow into a black frame. This reads the window's own pixels,
alpha and all, and lays them over a backdrop colour the way a compositing
desktop would, so the picture shows the window as people see it.

    window-shot.py WINDOW_ID OUTPUT.png [--backdrop '#rrggbb']

Needs only libX11 (through ctypes) and the Python standard library.
"""
import argparse
import ctypes
import ctypes.util
import os
import struct
import sys
import zlib


class XImage(ctypes.Structure):
    # The leading fields of Xlib's XImage, as far as the pixels need them.
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


Z_PIXMAP = 2
ALL_PLANES = ctypes.c_ulong(-1 & ((1 << (8 * ctypes.sizeof(ctypes.c_ulong))) - 1))
LSB_FIRST = 0


def load_xlib():
    name = ctypes.util.find_library("X11") or "libX11.so.6"
    xlib = ctypes.cdll.LoadLibrary(name)
    xlib.XOpenDisplay.restype = ctypes.c_void_p
    xlib.XOpenDisplay.argtypes = [ctypes.c_char_p]
    xlib.XCloseDisplay.argtypes = [ctypes.c_void_p]
    xlib.XGetGeometry.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + [ctypes.c_void_p] * 7
    xlib.XGetImage.restype = ctypes.POINTER(XImage)
    xlib.XGetImage.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_int,
                               ctypes.c_uint, ctypes.c_uint, ctypes.c_ulong, ctypes.c_int]
    xlib.XFree.argtypes = [ctypes.c_void_p]
    return xlib


def shift_of(mask):
    return (mask & -mask).bit_length() - 1 if mask else 0


def grab(window):
    """Returns (width, height, rows of premultiplied (r, g, b, a) bytes)."""
    xlib = load_xlib()
    display = xlib.XOpenDisplay(None)
    if not display:
        sys.exit("window-shot: cannot open the display %r" % os.environ.get("DISPLAY"))
    try:
        root = ctypes.c_ulong()
        x, y = ctypes.c_int(), ctypes.c_int()
        width, height, border, depth = (ctypes.c_uint() for _ in range(4))
        if not xlib.XGetGeometry(display, window, ctypes.byref(root), ctypes.byref(x), ctypes.byref(y),
                                 ctypes.byref(width), ctypes.byref(height), ctypes.byref(border),
                                 ctypes.byref(depth)):
            sys.exit("window-shot: no window 0x%x" % window)
        image_ptr = xlib.XGetImage(display, window, 0, 0, width.value, height.value, ALL_PLANES, Z_PIXMAP)
        if not image_ptr:
            sys.exit("window-shot: the pixels of window 0x%x cannot be read" % window)
        image = image_ptr.contents
        try:
            if image.bits_per_pixel != 32:
                sys.exit("window-shot: %d bits per pixel are not handled" % image.bits_per_pixel)
            masks = (image.red_mask, image.green_mask, image.blue_mask)
            alpha_mask = 0xFFFFFFFF & ~(masks[0] | masks[1] | masks[2]) if image.depth == 32 else 0
            shifts = [shift_of(m) for m in masks + (alpha_mask,)]
            raw = ctypes.string_at(image.data, image.bytes_per_line * image.height)
            order = "<" if image.byte_order == LSB_FIRST else ">"
            rows = []
            for row in range(image.height):
                start = row * image.bytes_per_line
                pixels = struct.unpack_from("%s%dI" % (order, image.width), raw, start)
                out = bytearray(4 * image.width)
                for i, p in enumerate(pixels):
                    out[4 * i] = (p >> shifts[0]) & 0xFF
                    out[4 * i + 1] = (p >> shifts[1]) & 0xFF
                    out[4 * i + 2] = (p >> shifts[2]) & 0xFF
                    out[4 * i + 3] = (p >> shifts[3]) & 0xFF if alpha_mask else 0xFF
                rows.append(out)
            return image.width, image.height, rows
        finally:
            xlib.XFree(image.data)
            xlib.XFree(image_ptr)
    finally:
        xlib.XCloseDisplay(display)


def flatten(rows, backdrop):
    """Lays premultiplied pixels over an opaque backdrop: rgb + backdrop * (1 - a)."""
    flat = []
    for row in rows:
        out = bytearray(3 * (len(row) // 4))
        for i in range(len(row) // 4):
            a = row[4 * i + 3]
            for c in range(3):
                value = row[4 * i + c] + (backdrop[c] * (255 - a) + 127) // 255
                out[3 * i + c] = min(255, value)
        flat.append(out)
    return flat


def write_png(path, width, height, rows):
    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    raw = b"".join(b"\x00" + bytes(row) for row in rows)
    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)  # 8-bit RGB
    partial = path + ".partial"
    with open(partial, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9))
                + chunk(b"IEND", b""))
    os.replace(partial, path)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("window", help="window id (decimal or 0x hex)")
    parser.add_argument("output", help="PNG file to write")
    parser.add_argument("--backdrop", default="#eef0f5", help="colour behind the window (#rrggbb)")
    args = parser.parse_args()
    colour = args.backdrop.lstrip("#")
    if len(colour) != 6:
        sys.exit("window-shot: the backdrop must be #rrggbb")
    backdrop = tuple(int(colour[i:i + 2], 16) for i in (0, 2, 4))
    width, height, rows = grab(int(args.window, 0))
    write_png(args.output, width, height, flatten(rows, backdrop))


if __name__ == "__main__":
    main()
