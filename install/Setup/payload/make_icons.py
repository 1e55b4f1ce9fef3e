#!/usr/bin/env python3
"""Draws the two icons the installer ships beside the programs (shortcut icons).

    python3 make_icons.py OUTPUT_FOLDER

  tevela.ico  the client: a white play sign on the product's pink rounded square
  Uninst.ico  the uninstaller: a white cross on the same square, in grey
Each icon holds 16, 32 and 48 pixel images (32-bit BGRA with an AND mask),
anti-aliased by 4 x 4 supersampling. Standard library only; the output is the
same on every run.
"""
import os
import struct
import sys

PINK = (0xFF, 0x00, 0x7D)
GREY = (0x6E, 0x6E, 0x78)
WHITE = (0xFF, 0xFF, 0xFF)
SIZES = (16, 32, 48)
SUPER = 4


def rounded_square(x, y, radius):
    """Inside test for the unit square with rounded corners (coordinates 0..1)."""
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def play_sign(x, y):
    # A triangle pointing right, centred a little right of the middle.
    left, right, top, bottom = 0.36, 0.74, 0.26, 0.74
    if x < left or x > right:
        return False
    half = (bottom - top) / 2 * (right - x) / (right - left)
    return abs(y - 0.5) <= half


def cross_sign(x, y):
    width = 0.09
    if not (0.27 <= x <= 0.73 and 0.27 <= y <= 0.73):
        return False
    return abs(x - y) <= width or abs(x + y - 1) <= width


def draw(size, background, sign):
    """Rows of (r, g, b, a) pixels, top row first."""
    rows = []
    n = SUPER * SUPER
    for py in range(size):
        row = []
        for px in range(size):
            cover = 0
            mark = 0
            for sy in range(SUPER):
                for sx in range(SUPER):
                    x = (px + (sx + 0.5) / SUPER) / size
                    y = (py + (sy + 0.5) / SUPER) / size
                    if rounded_square(x, y, 0.2):
                        cover += 1
                        if sign(x, y):
                            mark += 1
            if cover == 0:
                row.append((0, 0, 0, 0))
                continue
            t = mark / cover
            colour = tuple(round(background[i] * (1 - t) + WHITE[i] * t) for i in range(3))
            row.append(colour + (round(255 * cover / n),))
        rows.append(row)
    return rows


def bmp_image(rows):
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):          # bottom-up
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_icon(path, background, sign):
    images = [bmp_image(draw(size, background, sign)) for size in SIZES]
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack('<BBBBHHII', size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    out = sys.argv[1]
    os.makedirs(out, exist_ok=True)
    write_icon(os.path.join(out, 'tevela.ico'), PINK, play_sign)
    write_icon(os.path.join(out, 'Uninst.ico'), GREY, cross_sign)
    return 0


if __name__ == '__main__':
    sys.exit(main())
