#!/usr/bin/env bash
# What the FLAC/Ogg/Opus/WAV plug-in costs: CPU per minute of audio to decode one minute of
# each format through the plug-in's decoders (openaudio_decode_bench.exe under wine64)
# against the native decoders of Debian's packages on the same files (flac -d, oggdec,
# opusdec), with the ratios; and the private bytes of velmora.exe while it plays the FLAC
# file. Prints figures only; it asserts nothing about them.
#
#   scripts/bench_openaudio.sh <win64 build folder>
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(cd "${1:?usage: bench_openaudio.sh <win64 build folder>}" && pwd)"
log() { echo "[bench] $*" >&2; }

for tool in sox flac oggenc oggdec opusenc opusdec python3; do
  command -v "$tool" >/dev/null || { log "$tool is missing (scripts/setup.sh installs it)"; exit 3; }
done
BENCH="$BUILD/bench/openaudio_decode_bench.exe"
[[ -f "$BENCH" ]] || { log "missing $BENCH"; exit 3; }

# shellcheck source=scripts/wine_env.sh
source "$ROOT/scripts/wine_env.sh"
wine_env_start || exit 3
RUN="$VELMORA_RUN_DIR"
SINK="$RUN/sink.raw"

# --- media: one minute of changing material in each format ---------------------------------
MEDIA="$RUN/openaudio-media"
mkdir -p "$MEDIA"
sox -n -r 44100 -c 2 -b 16 "$MEDIA/minute.wav" synth 60 sine 300-3000 synth 60 pinknoise mix \
  vol 0.4
flac -s -f "$MEDIA/minute.wav" -o "$MEDIA/minute.flac"
oggenc -Q -q 5 "$MEDIA/minute.wav" -o "$MEDIA/minute.ogg"
opusenc --quiet --bitrate 128 "$MEDIA/minute.wav" "$MEDIA/minute.opus"

# CPU seconds (user + system) of a native command, its output thrown away.
native_cpu() {
  python3 - "$@" <<'PY'
import resource, subprocess, sys
subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print("%.3f" % (r.ru_utime + r.ru_stime))
PY
}

declare -A PLUGIN NATIVE
for f in flac ogg opus wav; do
  line="$("$WINE" "$BENCH" "$(to_windows_path "$MEDIA/minute.$f")" | tr -d '\r')"
  PLUGIN[$f]="$(awk '{print $4}' <<<"$line")"
  log "plug-in, $f: $line"
done
NATIVE[flac]="$(native_cpu flac -d -s -f "$MEDIA/minute.flac" -o /dev/null)"
NATIVE[ogg]="$(native_cpu oggdec -Q "$MEDIA/minute.ogg" -o /dev/null)"
NATIVE[opus]="$(native_cpu opusdec --quiet "$MEDIA/minute.opus" /dev/null)"

echo "CPU per minute of audio, decoding only (plug-in under wine64 / native):"
for f in flac ogg opus; do
  ratio="$(awk -v a="${PLUGIN[$f]}" -v b="${NATIVE[$f]}" 'BEGIN {printf (b > 0 ? "%.1f" : "n/a"), (b > 0 ? a / b : 0)}')"
  printf '  %-5s %6.3f s / %6.3f s   ratio %s\n' "$f" "${PLUGIN[$f]}" "${NATIVE[$f]}" "$ratio"
done
printf '  %-5s %6.3f s (our own reader; no native peer)\n' wav "${PLUGIN[wav]}"
echo "  (a native figure includes the decoder's start-up and writing its samples to /dev/null;"
echo "   the plug-in's is the CPU of the decoding thread alone)"

# --- private bytes while playing -------------------------------------------------------------
app="$RUN/app-openaudio"
rm -rf "$app"
cp -r "$BUILD/dist" "$app"
"$WINE" reg delete 'HKCU\Software\velmora' /f >/dev/null 2>&1 || true
"$WINE" "$app/velmora.exe" "$(to_windows_path "$MEDIA/minute.flac")" >"$RUN/player-openaudio.log" 2>&1 &
launcher=$!
start="$(stat -c %s "$SINK")"
for ((i = 0; i < 300; ++i)); do
  (($(stat -c %s "$SINK") - start > 176400)) && break
  sleep 0.1
done
sleep 5
pid=""
for p in /proc/[0-9]*; do
  grep -aq -- velmora.exe "$p/cmdline" 2>/dev/null || continue
  tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
  pid="${p#/proc/}"
  break
done
if [[ -n "$pid" ]]; then
  kb="$(awk '/^(RssAnon|VmSwap):/ {kb += $2} END {print kb + 0}' "/proc/$pid/status")"
  echo "private bytes of velmora.exe playing the FLAC file: $((kb / 1024)) MB"
else
  log "no velmora.exe process"
fi
"$WINE" "$app/velmoractl.exe" exit >/dev/null 2>&1 || true
for ((i = 0; i < 100; ++i)); do kill -0 "$launcher" 2>/dev/null || break; sleep 0.1; done
kill "$launcher" 2>/dev/null || true
wait "$launcher" 2>/dev/null || true
