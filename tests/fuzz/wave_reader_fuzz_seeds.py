#!/usr/bin/env python3
"""Seeds for wave_reader_fuzz that small mutations rarely build: WAV files of each sample
kind with an INFO list, an extensible format chunk, and a data chunk whose size lies."""
import os
import struct
import sys


def chunk(cid, body, stated=None):
    size = len(body) if stated is None else stated
    return cid + struct.pack("<I", size) + body + (b"\0" if len(body) & 1 else b"")


def wave(tag, channels, bits, frames=8, info=b"", extensible=False, data_stated=None):
    align = channels * bits // 8
    fmt = struct.pack("<HHIIHH", 0xFFFE if extensible else tag, channels, 44100, 44100 * align,
                      align, bits)
    if extensible:
        fmt += struct.pack("<HHI", 22, bits, 3) + struct.pack("<H", tag) + bytes(14)
    body = chunk(b"fmt ", fmt)
    if info:
        body += chunk(b"LIST", b"INFO" + info)
    body += chunk(b"data", bytes(range(256))[: frames * align] * 1, data_stated)
    return b"RIFF" + struct.pack("<I", len(body) + 4) + b"WAVE" + body


def main():
    corpus = sys.argv[1]
    os.makedirs(corpus, exist_ok=True)
    info = chunk(b"INAM", b"Title\0") + chunk(b"IART", b"Artist\0") + chunk(b"ICMT", b"x" * 33)
    seeds = {
        "pcm8_mono.wav": wave(1, 1, 8, info=info),
        "pcm16_stereo.wav": wave(1, 2, 16, info=info),
        "pcm24_stereo.wav": wave(1, 2, 24),
        "pcm32_mono.wav": wave(1, 1, 32),
        "float_stereo_ext.wav": wave(3, 2, 32, extensible=True),
        "lying_data.wav": wave(1, 2, 16, data_stated=0x7FFFFFF0),
        "comments.txt": b"TITLE=A\0ARTIST=B\0REPLAYGAIN_TRACK_GAIN=-6.5 dB\0"
                        b"REPLAYGAIN_ALBUM_PEAK=0.7\0R128_ALBUM_GAIN=-512\0",
    }
    for name, data in seeds.items():
        path = os.path.join(corpus, name)
        if not os.path.exists(path) or os.path.getsize(path) != len(data):
            with open(path, "wb") as f:
                f.write(data)


if __name__ == "__main__":
    main()
