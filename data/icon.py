# SPDX-FileCopyrightText: 2026 The Zirvel 2 developers
# SPDX-License-Identifier: GPL-3.0-or-later

"""Draws the game's icon, a small board with a red and a blue trail, as SVG or as PNG.

Usage: icon.py svg OUT | icon.py png SIZE OUT
Both come from the one drawing below, so every size shows the same picture.
"""

import struct
import sys
import zlib

VIEW = 256           # the drawing's own units
RADIUS = 36          # rounded corners of the frame
BOARD = (24, 232)    # the black board's edges, both axes
CELL = (BOARD[1] - BOARD[0]) // 8

FRAME = (64, 64, 64)
FREE = (0, 0, 0)
P1_HEAD, P1_TRAIL = (255, 0, 0), (200, 100, 50)
P2_HEAD, P2_TRAIL = (0, 0, 255), (50, 100, 200)

# (column, row) on an 8 x 8 board.
CELLS = {
    **{(1, row): P2_TRAIL for row in range(2, 7)}, (2, 2): P2_TRAIL, (3, 2): P2_HEAD,
    **{(6, row): P1_TRAIL for row in range(1, 6)}, (5, 5): P1_TRAIL, (4, 5): P1_HEAD,
}


def colour_at(x, y):
    """The colour at a point of the drawing, or None outside the rounded frame."""
    corner_x = min(max(x, RADIUS), VIEW - RADIUS)
    corner_y = min(max(y, RADIUS), VIEW - RADIUS)
    if (x - corner_x) ** 2 + (y - corner_y) ** 2 > RADIUS ** 2:
        return None
    if not (BOARD[0] <= x < BOARD[1] and BOARD[0] <= y < BOARD[1]):
        return FRAME
    cell = (int((x - BOARD[0]) // CELL), int((y - BOARD[0]) // CELL))
    return CELLS.get(cell, FREE)


def svg():
    rgb = "#{:02x}{:02x}{:02x}".format
    parts = [
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{VIEW}" height="{VIEW}" '
        f'viewBox="0 0 {VIEW} {VIEW}" shape-rendering="crispEdges">',
        f'<rect width="{VIEW}" height="{VIEW}" rx="{RADIUS}" fill="{rgb(*FRAME)}"/>',
        f'<rect x="{BOARD[0]}" y="{BOARD[0]}" width="{BOARD[1] - BOARD[0]}" '
        f'height="{BOARD[1] - BOARD[0]}" fill="{rgb(*FREE)}"/>',
    ]
    for (column, row), colour in sorted(CELLS.items()):
        parts.append(f'<rect x="{BOARD[0] + column * CELL}" y="{BOARD[0] + row * CELL}" '
                     f'width="{CELL}" height="{CELL}" fill="{rgb(*colour)}"/>')
    parts.append("</svg>")
    return "\n".join(parts) + "\n"


def png(size):
    # Four samples a pixel smooth the rounded corners without blurring the cells much.
    offsets = (0.25, 0.75)
    rows = []
    for py in range(size):
        row = bytearray([0])  # no filter
        for px in range(size):
            samples = [colour_at((px + ox) * VIEW / size, (py + oy) * VIEW / size)
                       for ox in offsets for oy in offsets]
            opaque = [s for s in samples if s is not None]
            if not opaque:
                row += bytes(4)
                continue
            red, green, blue = (sum(c[i] for c in opaque) // len(opaque) for i in range(3))
            row += bytes((red, green, blue, 255 * len(opaque) // len(samples)))
        rows.append(bytes(row))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def main():
    if sys.argv[1] == "svg":
        with open(sys.argv[2], "w", encoding="utf-8") as out:
            out.write(svg())
    else:
        with open(sys.argv[3], "wb") as out:
            out.write(png(int(sys.argv[2])))


if __name__ == "__main__":
    main()
