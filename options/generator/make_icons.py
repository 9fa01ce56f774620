#!/usr/bin/env python3
"""Draws the file-type icons shipped in the program's Icons folder: 32 x 32 icons, 32-bit
with an opacity mask, made with the design generator's raster library.
Usage: make_icons.py OUTPUT_FOLDER"""

import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..',
                                'design', 'generator'))
import raster  # noqa: E402
from raster import Canvas, hexrgb, vgrad  # noqa: E402

SIZE = 32


def note(c, colour):
    c.circle(11, 23, 4.2, colour)
    c.circle(22, 20, 4.2, colour)
    c.rect(14, 7, 16, 23, colour)
    c.rect(25, 5, 27, 20, colour)
    c.polygon([(14, 7), (27, 4), (27, 9), (14, 12)], colour)


def disc(c):
    c.circle(16, 16, 13, vgrad(3, 29, hexrgb('e8e8f0'), hexrgb('9098b0')))
    c.circle(16, 16, 9, vgrad(7, 25, hexrgb('c0d8f8'), hexrgb('7088c8')), 0.6)
    c.circle(16, 16, 4, hexrgb('404858'))
    c.circle(16, 16, 2, hexrgb('101010'))


def wave(c, colour):
    for x in range(5, 28, 3):
        h = (3, 7, 11, 6, 12, 8, 4, 9)[(x // 3) % 8]
        c.rect(x, 16 - h, x + 2, 16 + h, colour)


ICONS = {
    'note.ico': ('3060c0', '0c1c48', lambda c: note(c, hexrgb('f4f8ff'))),
    'wave.ico': ('38a058', '0c3018', lambda c: wave(c, hexrgb('e8ffe8'))),
    'disc.ico': ('d07030', '401808', disc),
}


def draw(top, bottom, paint):
    c = Canvas(SIZE, SIZE, (0, 0, 0))
    c.rounded(1, 1, SIZE - 1, SIZE - 1, 6, vgrad(1, SIZE - 1, hexrgb(top), hexrgb(bottom)))
    paint(c)
    inside = raster.rounded_inside(1, 1, SIZE - 1, SIZE - 1, 6)
    opaque = [[inside(x + 0.5, y + 0.5) for x in range(SIZE)] for y in range(SIZE)]
    return c, opaque


def ico_bytes(canvas, opaque):
    pixels = bytearray()
    for y in range(SIZE - 1, -1, -1):
        for x in range(SIZE):
            r, g, b = canvas.get(x, y)
            pixels += bytes((b, g, r, 255 if opaque[y][x] else 0))
    mask = bytearray()
    for y in range(SIZE - 1, -1, -1):
        row = 0
        for x in range(SIZE):
            row = (row << 1) | (0 if opaque[y][x] else 1)
        mask += struct.pack('>I', row)  # 32 pixels = one 4-byte row
    header = struct.pack('<IiiHHIIiiII', 40, SIZE, SIZE * 2, 1, 32, 0, len(pixels) + len(mask),
                         0, 0, 0, 0)
    image = header + pixels + mask
    directory = struct.pack('<HHH', 0, 1, 1)
    entry = struct.pack('<BBBBHHII', SIZE, SIZE, 0, 0, 1, 32, len(image), 6 + 16)
    return directory + entry + image


def main(out):
    os.makedirs(out, exist_ok=True)
    for name, (top, bottom, paint) in ICONS.items():
        canvas, opaque = draw(top, bottom, paint)
        with open(os.path.join(out, name), 'wb') as f:
            f.write(ico_bytes(canvas, opaque))


if __name__ == '__main__':
    main(sys.argv[1])
