#!/usr/bin/env python3
"""Draws the dialogs' pictures: row icon 204, banner bitmap 216, cursors 104 and 223.

Run once after changing a drawing; the files it writes under ui/ are committed:
    python3 tools/make_ui_pictures.py
"""
import math
import os
import struct

UI = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "ui")

# Cursors: B black, W white, . transparent; the hot spot is marked by its own letter (b or w).
ARROW = """
b...............
BB..............
BWB.............
BWWB............
BWWWB...........
BWWWWB..........
BWWWWWB.........
BWWWWWWB........
BWWWWWWWB.......
BWWWWWWWWB......
BWWWWWWWWWB.....
BWWWWWWBBBBB....
BWWWBWWB........
BWWBBWWB........
BWB..BWWB.......
BB...BWWB.......
B.....BWWB......
......BWWB......
.......BB.......
"""

HAND = """
.....BB.........
....BwWB........
....BWWB........
....BWWB........
....BWWB........
....BWWBBB......
....BWWBWWBBB...
....BWWBWWBWWBB.
.BB.BWWBWWBWWBWB
BWWBBWWWWWWWWBWB
BWWWBWWWWWWWWWWB
.BWWBWWWWWWWWWWB
..BWWWWWWWWWWWWB
..BWWWWWWWWWWWB.
...BWWWWWWWWWWB.
...BWWWWWWWWWB..
....BWWWWWWWWB..
....BWWWWWWWWB..
....BBBBBBBBBB..
"""


def monochrome_image(width, height, pixel):
    """BITMAPINFOHEADER, two colours and the XOR and AND masks of a 1-bit icon or cursor."""
    stride = ((width + 31) // 32) * 4
    header = struct.pack("<IiiHHIIiiII", 40, width, height * 2, 1, 1, 0, stride * height * 2, 0, 0, 2, 0)
    colours = struct.pack("<II", 0x000000, 0xFFFFFF)
    xor_rows, and_rows = [], []
    for y in reversed(range(height)):  # bottom-up
        xor_row, and_row = bytearray(stride), bytearray(stride)
        for x in range(width):
            is_white, is_transparent = pixel(x, y)
            if is_white:
                xor_row[x // 8] |= 0x80 >> (x % 8)
            if is_transparent:
                and_row[x // 8] |= 0x80 >> (x % 8)
        xor_rows.append(bytes(xor_row))
        and_rows.append(bytes(and_row))
    return header + colours + b"".join(xor_rows) + b"".join(and_rows)


def icon_file(kind, width, height, image, hot_x=0, hot_y=0):
    """A .ico (kind 1) or .cur (kind 2) file holding one image."""
    planes_or_x, bits_or_y = (1, 1) if kind == 1 else (hot_x, hot_y)
    directory = struct.pack("<HHH", 0, kind, 1)
    entry = struct.pack("<BBBBHHII", width % 256, height % 256, 2, 0, planes_or_x, bits_or_y, len(image), 6 + 16)
    return directory + entry + image


def cursor_from_drawing(drawing):
    rows = [row for row in drawing.strip("\n").split("\n")]
    hot = next((x, y) for y, row in enumerate(rows) for x, c in enumerate(row) if c in "bw")

    def pixel(x, y):
        c = rows[y][x] if y < len(rows) and x < len(rows[y]) else "."
        return c in "Ww", c == "."

    return icon_file(2, 32, 32, monochrome_image(32, 32, pixel), *hot)


def banner():
    """220 x 68, 16 bits per pixel (5-5-5): a blue dusk with an aperture of six blades."""
    width, height = 220, 68
    cx, cy, outer, inner = 34, 34, 26, 9

    def colour(x, y):
        t = x / (width - 1)
        r, g, b = 20 + 40 * t, 40 + 70 * t, 110 + 120 * t
        dx, dy = x - cx, y - cy
        distance = math.hypot(dx, dy)
        if distance <= outer:
            angle = (math.atan2(dy, dx) + math.pi) / (2 * math.pi) * 6
            blade = int(angle) % 2
            if distance <= inner:
                return 250, 250, 240
            shade = 180 if blade else 140
            return shade, shade, shade + 30
        if distance <= outer + 2:
            return 240, 240, 250
        if 70 <= x <= 210 and y in (30, 31, 42):  # three thin lines where the product lines go
            return 200, 215, 250
        return r, g, b

    rows = []
    for y in reversed(range(height)):  # bottom-up
        row = bytearray()
        for x in range(width):
            r, g, b = colour(x, y)
            value = (int(r) >> 3) << 10 | (int(g) >> 3) << 5 | (int(b) >> 3)
            row += struct.pack("<H", value)
        rows.append(bytes(row))
    pixels = b"".join(rows)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 16, 0, len(pixels), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return file_header + info + pixels


def main():
    outputs = {
        "row_image.ico": icon_file(1, 8, 16, monochrome_image(8, 16, lambda x, y: (False, True))),
        "banner.bmp": banner(),
        "arrow.cur": cursor_from_drawing(ARROW),
        "hand.cur": cursor_from_drawing(HAND),
    }
    for name, data in outputs.items():
        with open(os.path.join(UI, name), "wb") as f:
            f.write(data)


if __name__ == "__main__":
    main()
