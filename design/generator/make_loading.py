#!/usr/bin/env python3
"""Draws the start-up picture that covers the main window until a design is applied
(306 x 161, the built-in window's size). Written as BMP; the build turns it into JPEG."""

import sys

from raster import Canvas, hexrgb, mix, text_width, vgrad


def main():
    W, H = 306, 161
    c = Canvas(W, H)
    c.rect(0, 0, W, H, vgrad(0, H, hexrgb('0b1620'), hexrgb('020507')))
    # Concentric rings, like a speaker cone.
    for r, a in ((60, 0.10), (46, 0.14), (32, 0.2), (18, 0.3)):
        c.circle(W / 2.0, 64, r, hexrgb('3fc8e8'), a)
        c.circle(W / 2.0, 64, r - 2, mix(hexrgb('0b1620'), hexrgb('02070a'), 0.5), 0.9)
    c.circle(W / 2.0, 64, 8, hexrgb('6fe6ff'), 0.9)
    title = 'VELMORA'
    x = int((W - text_width(title, 2, 2)) / 2)
    c.text(x + 1, 121, title, (0, 0, 0), 2, 0.8, 2)
    c.text(x, 120, title, hexrgb('dff3ff'), 2, 1.0, 2)
    sub = 'LOADING ...'
    c.text(int((W - text_width(sub)) / 2), 142, sub, hexrgb('5aa7c0'))
    c.save_bmp(sys.argv[1])
    return 0


if __name__ == '__main__':
    sys.exit(main())
