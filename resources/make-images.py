#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws Quillmere's images (plain PNGs, no dependencies): the program icon, the tray icons and
the per-generation application icons. Run it again after changing a drawing; the PNGs are kept
in the repository.

With --icons DIR it writes the program icon for the desktop's icon theme instead, from the same
drawing: DIR/hicolor/NxN/apps/ID.png for each size and DIR/hicolor/scalable/apps/ID.svg (the
build does this; nothing of it is kept in the repository)."""
import os
import sys
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


def folder_shapes(body, tab, mark):
    """A folder with a tab and three stacked sheets: Quillmere's sign. Rectangles (left, top,
    right, bottom, as fractions of the side) with their colours, in painting order."""
    return ([(0.10, 0.26, 0.90, 0.84, body), (0.12, 0.18, 0.45, 0.30, tab)] +
            [(0.24, top, 0.76, top + 0.05, mark) for top in (0.40, 0.52, 0.64)])


def folder(body, tab, mark):
    shapes = folder_shapes(body, tab, mark)

    def pixel(x, y, s):
        u, v = x / s, y / s
        for left, top, right, bottom, colour in reversed(shapes):
            if left < u < right and top < v < bottom:
                return colour
        return (0, 0, 0, 0)
    return pixel


def svg(path, shapes):
    rects = "".join(
        f'<rect x="{l * 256:g}" y="{t * 256:g}" width="{(r - l) * 256:g}" height="{(b - t) * 256:g}"'
        f' fill="#{c[0]:02x}{c[1]:02x}{c[2]:02x}"/>' for l, t, r, b, c in shapes)
    with open(path, "w") as f:
        f.write('<svg xmlns="http://www.w3.org/2000/svg" width="256" height="256" '
                f'viewBox="0 0 256 256">{rects}</svg>\n')


PROGRAM_ICON = ((66, 133, 244, 255), (41, 98, 200, 255), (255, 255, 255, 255))


def theme_icons(folder_out, name):
    for size in (16, 22, 24, 32, 48, 64, 128, 256):
        apps = os.path.join(folder_out, "hicolor", f"{size}x{size}", "apps")
        os.makedirs(apps, exist_ok=True)
        png(os.path.join(apps, name + ".png"), size, folder(*PROGRAM_ICON))
    apps = os.path.join(folder_out, "hicolor", "scalable", "apps")
    os.makedirs(apps, exist_ok=True)
    svg(os.path.join(apps, name + ".svg"), folder_shapes(*PROGRAM_ICON))


def tray(x, y, s):
    u, v = x / s, y / s
    if 0.1 < u < 0.9 and 0.2 < v < 0.85 and not (0.25 < u < 0.75 and 0.45 < v < 0.7):
        return (40, 40, 40, 255)
    return (0, 0, 0, 0)


if __name__ == "__main__" and sys.argv[1:2] == ["--icons"]:
    theme_icons(sys.argv[2], sys.argv[3] if len(sys.argv) > 3 else "org.quillmere.Quillmere")
elif __name__ == "__main__":
    os.makedirs(HERE, exist_ok=True)
    png(os.path.join(HERE, "Quillmere.png"), 64, folder(*PROGRAM_ICON))
    for name, colour in (("BrashwickLionIcon", (176, 120, 60, 255)),
                         ("BrashwickIconMl", (90, 90, 110, 255)),
                         ("BrashwickMav", (40, 120, 160, 255))):
        png(os.path.join(HERE, name + ".png"), 64,
            folder(colour, tuple(max(0, c - 40) for c in colour[:3]) + (255,), (255, 255, 255, 255)))
    for name in ("DefaulticonMenuBar", "LionMenuBar", "MLMenuBar", "MavricksMenuBar"):
        png(os.path.join(HERE, name + ".png"), 22, tray)
