#!/usr/bin/env python3
"""Makes an hour-long VBR layer 3 file, with and without its Xing header, out of copies of
a short LAME VBR file (no encoder run: the frames of the copies are laid end to end; each
copy starts with an empty bit reservoir, so the joins decode cleanly).

    make_long_vbr.py <short vbr.mp3> <copies> <with header.mp3> <without header.mp3>
"""
import struct
import sys

BITRATES = {  # MPEG 1 layer 3, kbps by index
    i: r for i, r in enumerate([0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320])
}
RATES = [44100, 48000, 32000]


def frames_of(data):
    pos, out = 0, []
    while pos + 4 <= len(data):
        b1, b2 = data[pos + 1], data[pos + 2]
        if data[pos] != 0xFF or (b1 & 0xFE) != 0xFA:  # MPEG 1 layer 3 only
            break
        size = 144 * BITRATES[b2 >> 4] * 1000 // RATES[(b2 >> 2) & 3] + ((b2 >> 1) & 1)
        out.append(data[pos:pos + size])
        pos += size
    return out


def main():
    src, copies, with_header, without = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
    frames = frames_of(open(src, "rb").read())
    first = bytearray(frames[0])
    at = max(first.find(b"Xing"), first.find(b"Info"))
    if at < 0:
        sys.exit("make_long_vbr.py: %s has no Xing header" % src)
    audio = b"".join(frames[1:]) * copies
    flags = struct.unpack(">I", first[at + 4:at + 8])[0]
    field = at + 8
    if flags & 1:
        first[field:field + 4] = struct.pack(">I", (len(frames) - 1) * copies)
        field += 4
    if flags & 2:
        first[field:field + 4] = struct.pack(">I", len(first) + len(audio))
    with open(with_header, "wb") as f:
        f.write(first)
        f.write(audio)
    with open(without, "wb") as f:
        f.write(audio)


if __name__ == "__main__":
    main()
