#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws Quillmere's images (plain PNGs, no dependencies): the program icon, the tray icons and
the per-generation application icons. Run it again after changing a drawing; the PNGs are kept
in the repository."""
import os
import struct
import zlib

HERE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "images")


def png(path, size, pixel):
    rows = []
    for y in range(size):
        row = bytearray([0])
        for x in range(size):
            row.extend(pixel(x + 0.5, y + 0.5, size))
        rows.append(bytes(row))
    raw = zlib.compress(b"".join(rows), 9)

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(
            ">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)))
        f.write(chunk(b"IDAT", raw))
        f.write(chunk(b"IEND", b""))


def folder(body, tab, mark):
    """A folder with a tab and three stacked sheets: Quillmere's sign."""
    def pixel(x, y, s):
        u, v = x / s, y / s
        if 0.12 < u < 0.45 and 0.18 < v < 0.30:
            return tab
        if 0.10 < u < 0.90 and 0.26 < v < 0.84:
            for top in (0.40, 0.52, 0.64):
                if 0.24 < u < 0.76 and top < v < top + 0.05:
                    return mark
            return body
        return (0, 0, 0, 0)
    return pixel


def tray(x, y, s):
    u, v = x / s, y / s
    if 0.1 < u < 0.9 and 0.2 < v < 0.85 and not (0.25 < u < 0.75 and 0.45 < v < 0.7):
        return (40, 40, 40, 255)
    return (0, 0, 0, 0)


if __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    png(os.path.join(HERE, "Quillmere.png"), 64,
        folder((66, 133, 244, 255), (41, 98, 200, 255), (255, 255, 255, 255)))
    for name, colour in (("BrashwickLionIcon", (176, 120, 60, 255)),
                         ("BrashwickIconMl", (90, 90, 110, 255)),
                         ("BrashwickMav", (40, 120, 160, 255))):
        png(os.path.join(HERE, name + ".png"), 64,
            folder(colour, tuple(max(0, c - 40) for c in colour[:3]) + (255,), (255, 255, 255, 255)))
    for name in ("DefaulticonMenuBar", "LionMenuBar", "MLMenuBar", "MavricksMenuBar"):
        png(os.path.join(HERE, name + ".png"), 22, tray)
