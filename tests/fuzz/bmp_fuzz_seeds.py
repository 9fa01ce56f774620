#!/usr/bin/env python3
"""Seeds for bmp_fuzz that small mutations never reach: run-length bitmaps whose runs and
deltas, with no end of line, carry the pen far past the picture (one of ~17 MB)."""
import os
import struct
import sys


def rle_bitmap(width, height, bits, runs):
    palette = b"".join(struct.pack("<I", 0x010101 * i) for i in range(16))
    offset = 14 + 40 + len(palette)
    header = b"BM" + struct.pack("<IHHI", offset + len(runs), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, bits, 1 if bits == 8 else 2,
                       len(runs), 2835, 2835, 16, 0)
    return header + info + palette + runs


def main():
    corpus = sys.argv[1]
    os.makedirs(corpus, exist_ok=True)
    seeds = {
        # 16 MiB of 255-pixel runs, deltas, then runs again: the column passes 2^31.
        "rle8_long_row.bmp": rle_bitmap(1, 1, 8, bytes([1, 9]) + bytes([255, 3]) * (8 << 20)
                                        + bytes([0, 2, 255, 0]) * (1 << 17)
                                        + bytes([255, 4]) * (1 << 18)),
        "rle4_deltas.bmp": rle_bitmap(3, 2, 4, bytes([5, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 2, 200, 0,
                                                      4, 0x77, 0, 2, 1, 40, 9, 0x21, 0, 1])),
    }
    for name, data in seeds.items():
        path = os.path.join(corpus, name)
        if not os.path.exists(path) or os.path.getsize(path) != len(data):
            with open(path, "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
