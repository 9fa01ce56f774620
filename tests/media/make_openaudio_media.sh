#!/usr/bin/env bash
# Makes the FLAC, Ogg Vorbis, Opus and WAV test media into the folder given as $1 (created
# when missing): synthesised with sox, encoded with flac, oggenc and opusenc, plus crafted
# broken files. Nothing here is committed; every run makes the same files.
#
# Needs: sox, flac, oggenc (vorbis-tools), opusenc (opus-tools), python3.
set -euo pipefail

OUT="${1:?usage: make_openaudio_media.sh <output folder>}"
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
STAMP="$OUT/.made-openaudio-v2"
[[ -f "$STAMP" ]] && exit 0
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT

for tool in sox flac oggenc vorbiscomment opusenc python3; do
  command -v "$tool" >/dev/null || { echo "make_openaudio_media.sh: $tool is missing" >&2; exit 1; }
done

# Four seconds, each at its own pitch (400, 600, 800, 1000 Hz): where a seek lands can be
# heard in the output.
steps=()
for i in 0 1 2 3; do
  sox -n -r 44100 -c 2 -b 16 "$TMP/step$i.wav" synth 1 sine $((400 + 200 * i)) vol 0.5
  steps+=("$TMP/step$i.wav")
done
sox "${steps[@]}" "$TMP/steps.wav"
flac -s -f -T "TITLE=Flac Steps" -T "ARTIST=Velmora" "$TMP/steps.wav" -o "$OUT/steps.flac"
oggenc -Q -q 5 -t "Vorbis Steps" -a "Velmora" "$TMP/steps.wav" -o "$OUT/steps.ogg"
opusenc --quiet --bitrate 128 --title "Opus Steps" --artist "Velmora" "$TMP/steps.wav" "$OUT/steps.opus"
# WAV with a RIFF INFO title.
python3 - "$TMP/steps.wav" "$OUT/steps.wav" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
# Keep fmt and data, add LIST INFO with INAM.
pos, chunks = 12, []
while pos + 8 <= len(data):
    cid, size = data[pos:pos + 4], struct.unpack("<I", data[pos + 4:pos + 8])[0]
    chunks.append((cid, data[pos + 8:pos + 8 + size]))
    pos += 8 + size + (size & 1)
def chunk(cid, body):
    return cid + struct.pack("<I", len(body)) + body + (b"\0" if len(body) & 1 else b"")
name = b"Wave Steps\0"
info = b"INFO" + chunk(b"INAM", name) + chunk(b"IART", b"Velmora\0")
body = b"".join(chunk(c, b) for c, b in chunks if c == b"fmt ") + chunk(b"LIST", info) + \
       b"".join(chunk(c, b) for c, b in chunks if c == b"data")
open(sys.argv[2], "wb").write(b"RIFF" + struct.pack("<I", len(body) + 4) + b"WAVE" + body)
PY

# One second of Opus: 44,100 samples in, exactly one second out (pre-skip and end trimming).
sox -n -r 44100 -c 2 -b 16 "$TMP/one.wav" synth 1 sine 700 vol 0.5
opusenc --quiet "$TMP/one.wav" "$OUT/one_second.opus"

# ReplayGain: the same tone untagged and tagged -6.02 dB (half the amplitude).
sox -n -r 44100 -c 2 -b 16 "$TMP/gain.wav" synth 2 sine 1000 vol 0.5
flac -s -f "$TMP/gain.wav" -o "$OUT/gain_none.flac"
flac -s -f -T "REPLAYGAIN_TRACK_GAIN=-6.02 dB" -T "REPLAYGAIN_TRACK_PEAK=0.5" "$TMP/gain.wav" \
  -o "$OUT/gain_minus6.flac"

# Enormous metadata that is still valid: 8 MB of FLAC padding, a 2 MB Vorbis comment.
flac -s -f --padding=8000000 -T "TITLE=Padded" "$TMP/one.wav" -o "$OUT/huge_padding.flac"
python3 -c 'import sys; open(sys.argv[1], "w").write("TITLE=Long Comment\nCOMMENT=" + "x" * 2000000 + "\n")' \
  "$TMP/comments.txt"
oggenc -Q "$TMP/one.wav" -o "$TMP/one.ogg"
vorbiscomment -w -c "$TMP/comments.txt" "$TMP/one.ogg" "$OUT/huge_comment.ogg"

# Broken and foreign files.
python3 - "$OUT" <<'PY'
import os, random, struct, sys
out = sys.argv[1]
rnd = random.Random(20261210)
def write(name, data):
    open(os.path.join(out, name), "wb").write(data)
flac = open(os.path.join(out, "steps.flac"), "rb").read()
ogg = open(os.path.join(out, "steps.ogg"), "rb").read()
opus = open(os.path.join(out, "steps.opus"), "rb").read()
wav = open(os.path.join(out, "steps.wav"), "rb").read()
write("empty.flac", b"")
write("truncated.flac", flac[:len(flac) // 3])
write("truncated.opus", opus[:len(opus) // 3])
write("header_only.ogg", ogg[:200])
# Frames overwritten with noise after the headers.
corrupt = bytearray(ogg)
for i in range(6000, len(corrupt), 97):
    corrupt[i] = rnd.getrandbits(8)
write("corrupt.ogg", bytes(corrupt))
write("random.opus", bytes(rnd.getrandbits(8) for _ in range(30000)))
# An MPEG frame header followed by noise, named .flac.
write("mp3_named.flac", b"ID3\x03\x00\x00\x00\x00\x00\x00" + b"\xff\xfb\x90\x64" + bytes(rnd.getrandbits(8) for _ in range(20000)))
# A FLAC metadata block (application) claiming 16 MB in a small file.
write("huge_block.flac", b"fLaC" + flac[4:42] + b"\x02\xff\xff\xff" + bytes(1000))
# WAV chunks that lie: a data size of 2 GB, and an unknown chunk overrunning the file.
fmt_end = wav.index(b"LIST")
data_at = wav.index(b"data")
write("lying_data.wav", wav[:data_at + 4] + struct.pack("<I", 0x7ffffff0) + wav[data_at + 8:])
write("lying_chunk.wav", wav[:12] + b"junk" + struct.pack("<I", 0xfffffff0) + wav[12:])
write("adpcm.wav", wav[:20] + struct.pack("<H", 2) + wav[22:])
PY

touch "$STAMP"
echo "media in $OUT"
