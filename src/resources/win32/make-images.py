#!/usr/bin/env python3
"""Draws the margin glyph bitmap, the completion list's icon and the three cursors that Penwright.rc
embeds.

Run it from anywhere after changing a drawing here; it rewrites the images beside it, which are
committed so that a build needs no Python.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
MASK = (0, 255, 0)  # pure green: what the image list leaves transparent
CELL_W, CELL_H = 20, 16


def inside_polygon(x, y, points):
    """Even-odd rule at the pixel's centre."""
    px, py = x + 0.5, y + 0.5
    hit = False
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if (y1 > py) != (y2 > py) and px < x1 + (py - y1) * (x2 - x1) / (y2 - y1):
            hit = not hit
    return hit


def glyph_pixels():
    """Three 20 x 16 cells side by side: bookmark, bookmark on the caret row, breakpoint."""
    pixels = [[MASK] * (CELL_W * 3) for _ in range(CELL_H)]

    def put(cell, x, y, colour):
        pixels[y][cell * CELL_W + x] = colour

    for cell in (0, 1):
        # A rounded tab of ink blue with a darker rim.
        left, top, right, bottom = 3, 3, 16, 12
        for y in range(top, bottom + 1):
            for x in range(left, right + 1):
                corner = (x in (left, right)) and (y in (top, bottom))
                if corner:
                    continue
                rim = x in (left, right) or y in (top, bottom)
                put(cell, x, y, (20, 60, 140) if rim else (60, 130, 220))
        if cell == 1:
            # The caret's row: a white arrow pointing into the text.
            for y in range(5, 11):
                for x in range(7, 7 + 2 * (min(y - 5, 10 - y) + 1)):
                    put(cell, x, y, (255, 255, 255))
    # The breakpoint: a dark red disc with a darker rim.
    cx, cy, r = 10.0, 8.0, 6.0
    for y in range(CELL_H):
        for x in range(CELL_W):
            d = ((x + 0.5 - cx) ** 2 + (y + 0.5 - cy) ** 2) ** 0.5
            if d <= r:
                put(2, x, y, (110, 0, 0) if d > r - 1.2 else (190, 20, 20))
    return pixels


def completion_icon_pixels():
    """One 16 x 16 cell on white (the list's mask): a word, as a teal tile with two lines of text."""
    white, rim, fill, ink = (255, 255, 255), (0, 90, 100), (40, 170, 180), (230, 250, 250)
    pixels = [[white] * 16 for _ in range(16)]
    left, top, right, bottom = 2, 3, 13, 12
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            if (x in (left, right)) and (y in (top, bottom)):
                continue
            rim_pixel = x in (left, right) or y in (top, bottom)
            pixels[y][x] = rim if rim_pixel else fill
    for y, length in ((6, 7), (9, 5)):
        for x in range(4, 4 + length):
            pixels[y][x] = ink
    return pixels


def write_bmp(path, pixels):
    height, width = len(pixels), len(pixels[0])
    stride = (width * 3 + 3) & ~3
    rows = b"".join(
        bytes(c for r, g, b in row for c in (b, g, r)).ljust(stride, b"\0") for row in reversed(pixels))
    header = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(b"BM" + struct.pack("<IHHI", 14 + len(header) + len(rows), 0, 0, 14 + len(header)))
        f.write(header + rows)


# Cursors: 32 x 32, white shapes with a black outline; "ink" are extra black pixels.
ARROW = [(0, 0), (0, 19), (5, 15), (8, 22), (12, 21), (9, 14), (15, 14)]


def arrow_cursor(mirror):
    shape = set()
    for y in range(32):
        for x in range(32):
            if inside_polygon(x, y, ARROW):
                shape.add((15 - x if mirror else x, y))
    return shape


def box(shape, ink, left, top, right, bottom):
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            shape.add((x, y))
            if x in (left, right) or y in (top, bottom):
                ink.add((x, y))


def write_cursor(path, shape, ink, hotspot):
    """A monochrome .cur: AND mask clear where drawn; XOR white inside, black on the outline."""
    size = 32

    def outline(x, y):
        return any((x + dx, y + dy) not in shape for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))

    xor_rows, and_rows = [], []
    for y in reversed(range(size)):
        xor_bits = and_bits = 0
        for x in range(size):
            bit = 1 << (31 - x)
            if (x, y) in shape:
                if (x, y) not in ink and not outline(x, y):
                    xor_bits |= bit
            else:
                and_bits |= bit
        xor_rows.append(struct.pack(">I", xor_bits))
        and_rows.append(struct.pack(">I", and_bits))
    image = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 1, 0, 0, 0, 0, 2, 0)
    image += bytes((0, 0, 0, 0, 255, 255, 255, 0)) + b"".join(xor_rows) + b"".join(and_rows)
    with open(path, "wb") as f:
        f.write(struct.pack("<HHH", 0, 2, 1))
        f.write(struct.pack("<BBBBHHII", size, size, 0, 0, hotspot[0], hotspot[1], len(image), 22))
        f.write(image)


def main():
    write_bmp(os.path.join(HERE, "MarginGlyphs.bmp"), glyph_pixels())
    write_bmp(os.path.join(HERE, "CompletionIcons.bmp"), completion_icon_pixels())

    # Row selection: the arrow turned to point up and to the right, at the row.
    write_cursor(os.path.join(HERE, "RowSelect.cur"), arrow_cursor(mirror=True), set(), (15, 0))

    # Dragging: the arrow with the text it carries as a box below it; copying adds a plus.
    shape, ink = arrow_cursor(mirror=False), set()
    box(shape, ink, 6, 22, 17, 29)
    write_cursor(os.path.join(HERE, "DragMove.cur"), shape, ink, (0, 0))
    box(shape, ink, 20, 22, 28, 30)
    ink.update({(24, y) for y in range(24, 29)} | {(x, 26) for x in range(22, 27)})
    write_cursor(os.path.join(HERE, "DragCopy.cur"), shape, ink, (0, 0))


if __name__ == "__main__":
    main()
