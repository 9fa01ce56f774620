#!/usr/bin/env bash
# Makes the MPEG test media into the folder given as $1 (created when missing):
# synthesised with sox, encoded with lame (layer 3) and twolame (layer 2), plus crafted
# broken files. Nothing here is committed; every run makes the same files.
#
#   tests/media/make_media.sh /tmp/mpeg_media
#
# Needs: sox, lame, twolame, python3.
set -euo pipefail

OUT="${1:?usage: make_media.sh <output folder>}"
mkdir -p "$OUT"
OUT="$(cd "$OUT" && pwd)"
STAMP="$OUT/.made-v7"
[[ -f "$STAMP" ]] && exit 0
TMP="$(mktemp -d)"
trap 'rm -rf "$TMP"' EXIT

for tool in sox lame twolame python3; do
  command -v "$tool" >/dev/null || { echo "make_media.sh: $tool is missing" >&2; exit 1; }
done

LAME=(lame --quiet --noreplaygain)

# Sources: a 5 s 1 kHz sine (the audio checks), 10 s of changing material (VBR), a 60 s
# piece for the decoding benchmark.
sox -n -r 44100 -c 2 -b 16 "$TMP/sine.wav" synth 5 sine 1000 vol 0.5
sox -n -r 44100 -c 2 -b 16 "$TMP/vary.wav" synth 10 sine 200-6000 synth 10 pinknoise mix vol 0.4
sox -n -r 44100 -c 2 -b 16 "$TMP/minute.wav" synth 60 sine 300-3000 synth 60 pinknoise mix vol 0.4
sox -n -r 22050 -c 1 -b 16 "$TMP/low.wav" synth 3 sine 500 vol 0.5
# The VU meter's tones: 1 kHz at full scale and 12 dB below it, 20 s each.
sox -n -r 44100 -c 2 -b 16 "$TMP/full.wav" synth 20 sine 1000 vol 0.99
sox -n -r 44100 -c 2 -b 16 "$TMP/m12.wav" synth 20 sine 1000 vol 0.25
"${LAME[@]}" -b 128 "$TMP/full.wav" "$OUT/sine_1k_full_20s.mp3"
"${LAME[@]}" -b 128 "$TMP/m12.wav" "$OUT/sine_1k_m12_20s.mp3"

# Ten seconds, each at its own pitch (300 Hz, 400 Hz, ... 1200 Hz): where a seek lands can
# be heard in the output.
steps=()
for i in 0 1 2 3 4 5 6 7 8 9; do
  sox -n -r 44100 -c 2 -b 16 "$TMP/step$i.wav" synth 1 sine $((300 + 100 * i)) vol 0.5
  steps+=("$TMP/step$i.wav")
done
sox "${steps[@]}" "$TMP/steps.wav"
"${LAME[@]}" -b 128 "$TMP/steps.wav" "$OUT/steps_10s.mp3"

# Layer 3, CBR, with each kind of tag.
"${LAME[@]}" -b 128 "$TMP/sine.wav" "$OUT/sine_1k_5s.mp3"
"${LAME[@]}" -b 128 --id3v2-only --tt "Second Title" --ta "Second Artist" --tl "The Album" \
  --ty 2001 --tn 7 --tg Jazz --tc "A comment" "$TMP/sine.wav" "$OUT/tag_v2.mp3"
"${LAME[@]}" -b 128 --id3v1-only --tt "First Title" --ta "First Artist" --tl "Old Album" \
  --ty 1999 --tn 3 --tg Rock --tc "Old comment" "$TMP/sine.wav" "$OUT/tag_v1.mp3"
"${LAME[@]}" -b 128 --add-id3v2 --tt "Both Title" --ta "Both Artist" "$TMP/sine.wav" \
  "$OUT/tag_both.mp3"
"${LAME[@]}" -b 128 --id3v2-only --tt "Only Title" "$TMP/sine.wav" "$OUT/tag_title_only.mp3"

# Layer 3, VBR with its Info header, and without any (length needs the full scan).
"${LAME[@]}" -V 2 "$TMP/vary.wav" "$OUT/vbr_10s.mp3"
"${LAME[@]}" -V 2 -t "$TMP/vary.wav" "$OUT/vbr_10s_noinfo.mp3"
# 320 kbps, one minute: the benchmark.
"${LAME[@]}" -b 320 "$TMP/minute.wav" "$OUT/cbr320_60s.mp3"
# MPEG 2 layer 3, mono, 22.05 kHz.
"${LAME[@]}" -b 64 -m m "$TMP/low.wav" "$OUT/mono_22k.mp3"

# Free format: the frames carry no bit rate index, their size is found from the stream.
"${LAME[@]}" --freeformat -b 400 "$TMP/sine.wav" "$OUT/free_format.mp3"

# Layer 2.
twolame --quiet -b 192 "$TMP/sine.wav" "$OUT/sine_1k_5s.mp2"

# The sample rate changes in the middle: 44.1 kHz then 22.05 kHz, with and without the
# first part's Info header (which says where the first stream ends).
"${LAME[@]}" -b 128 -t "$TMP/sine.wav" "$TMP/a.mp3"
"${LAME[@]}" -b 64 -t "$TMP/low.wav" "$TMP/b.mp3"
cat "$TMP/a.mp3" "$TMP/b.mp3" > "$OUT/rate_change_noinfo.mp3"
cat "$OUT/sine_1k_5s.mp3" "$TMP/b.mp3" > "$OUT/rate_change_info.mp3"

# The decoded sine as reference samples for the analysers (raw s16le stereo 44.1 kHz).
sox "$TMP/sine.wav" -t raw "$OUT/sine_1k_5s.raw"

# Broken and foreign files.
cp "$TMP/sine.wav" "$OUT/wave_renamed.mp3"
python3 - "$OUT" <<'PY'
import os, random, struct, sys
out = sys.argv[1]
rnd = random.Random(20240601)
def write(name, data):
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
def syncsafe(n):
    return bytes([(n >> 21) & 0x7F, (n >> 14) & 0x7F, (n >> 7) & 0x7F, n & 0x7F])
def frame23(fid, body):
    return fid.encode() + struct.pack(">I", len(body)) + b"\0\0" + body
def tag23(frames):
    body = b"".join(frames)
    return b"ID3\x03\x00\x00" + syncsafe(len(body)) + body
sine = open(os.path.join(out, "sine_1k_5s.mp3"), "rb").read()

write("random.mp3", bytes(rnd.getrandbits(8) for _ in range(50000)))
write("empty.mp3", b"")
write("one_byte.mp3", b"\xff")
write("all_ff.mp3", b"\xff" * 20000)
write("cut_mid_frame.mp3", sine[:20000 + 211])
# 128 KB of bytes that never form a frame header (no 0xFF), then the sine.
junk = random.Random(128)
write("junk_128k.mp3", bytes(junk.getrandbits(7) for _ in range(128 * 1024)) + sine)
# An ID3v2 header claiming 0x7F7F7F7F-ish (all size bytes 0x7F) bytes in a 1 KB file.
write("huge_id3.mp3", b"ID3\x03\x00\x00\x7f\x7f\x7f\x7f" + bytes(rnd.getrandbits(8) for _ in range(1014)))
# Text frames with encoding byte 0xFF and with odd-length UTF-16, in front of real audio.
write("bad_encoding.mp3", tag23([frame23("TIT2", b"\xffGarbage"),
                                 frame23("TPE1", b"\x00Good Artist")]) + sine)
write("odd_utf16.mp3", tag23([frame23("TIT2", b"\x01\xff\xfeO\x00d\x00d\x00!"),
                              frame23("TPE1", b"\x01\xff\xfeA")]) + sine)
# Under 128 bytes and ending in "TAG".
write("small_tag.mp3", b"\0" * 60 + b"TAG")
# Nothing but tags: ID3v2 and ID3v1, no audio.
v1 = b"TAG" + b"Tag Only".ljust(30, b"\0") + b"Nobody".ljust(30, b"\0") + b"\0" * 30 + \
     b"2000" + b"\0" * 30 + b"\x0c"
write("tags_only.mp3", tag23([frame23("TIT2", b"\x00Tag Only")]) + v1)
PY

touch "$STAMP"
echo "media in $OUT"
