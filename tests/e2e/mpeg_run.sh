#!/usr/bin/env bash
# Runs the MPEG plug-in's checks (and its benchmark) under wine, without the player:
# makes the test media, a wine prefix and an ALSA configuration of their own that writes
# whatever is played to a raw file, then runs mpeg_plugin_checks.exe twice: with that
# sink, and once more without any wave-out device.
#
#   tests/e2e/mpeg_run.sh <build folder> [--bench] [gtest arguments...]
set -euo pipefail

# Everything, wineboot included, must see one X display: wine's desktop process keeps the
# display it was started with for the life of the wineserver.
if [[ -z "${DISPLAY:-}" ]] && command -v xvfb-run >/dev/null; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24 -nolisten tcp" bash "$0" "$@"
fi

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="$(cd "${1:?usage: mpeg_run.sh <build folder> [--bench] [gtest args]}" && pwd)"
shift
BENCH=0
if [[ "${1:-}" == "--bench" ]]; then BENCH=1; shift; fi

WORK="${MPEG_RUN_DIR:-/tmp/velmora-mpeg-run}"
MEDIA="$WORK/media"
SINK="$WORK/sink.raw"
mkdir -p "$WORK/home"
"$ROOT/tests/media/make_media.sh" "$MEDIA" >/dev/null

# Everything played ends up as s16le stereo 44.1 kHz in $SINK ("plug" converts whatever
# the wave-out device is opened with; "null" throws it away afterwards).
cat > "$WORK/home/.asoundrc" <<ASOUND
pcm.!default {
  type plug
  slave { pcm "sinkfile" format S16_LE rate 44100 channels 2 }
}
pcm.sinkfile { type file slave.pcm "null" file "$SINK" format "raw" }
pcm.null { type null }
ASOUND

WINE="${WINE:-/usr/lib/wine/wine64}"
export HOME="$WORK/home" WINEPREFIX="$WORK/prefix" WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
  "$WINE" wineboot -i >/dev/null 2>&1 || true
fi

winpath() { echo "Z:${1//\//\\}"; }
EXE="$(winpath "$BUILD/mpeg_tests/mpeg_plugin_checks.exe")"
export VELMORA_MPEG_DLL="$(winpath "$BUILD/dist/Library/mpeg.dll")"
export VELMORA_MPEG_MEDIA="$(winpath "$MEDIA")"
export VELMORA_AUDIO_SINK="$(winpath "$SINK")"

run_xvfb() { "$@"; }

# With MPEG_XML_DIR set, each run leaves a GoogleTest XML report there.
report() {
  [[ -n "${MPEG_XML_DIR:-}" ]] && echo "--gtest_output=xml:$(winpath "$MPEG_XML_DIR/$1.xml")"
}

status=0
run_xvfb timeout 600 "$WINE" "$EXE" $(report mpeg_checks) "$@" || status=$?
# No wave-out device: wine's audio drivers switched off for this run.
VELMORA_EXPECT_NO_DEVICE=1 WINEDLLOVERRIDES="mscoree,mshtml=;winealsa.drv,winepulse.drv,wineoss.drv=d" \
  run_xvfb timeout 120 "$WINE" "$EXE" $(report mpeg_checks_nodevice) \
  --gtest_filter='MpegPluginNoDevice.*' || status=$?

if [[ $BENCH == 1 ]]; then
  run_xvfb "$WINE" "$(winpath "$BUILD/mpeg_tests/mpeg_decode_bench.exe")" \
    "$(winpath "$MEDIA/cbr320_60s.mp3")" || true
  # `load` of an hour of VBR audio, with its Xing header and without any.
  python3 "$ROOT/tests/media/make_long_vbr.py" "$MEDIA/vbr_10s.mp3" 360 \
    "$WORK/vbr_60min_xing.mp3" "$WORK/vbr_60min_noheader.mp3"
  run_xvfb "$WINE" "$(winpath "$BUILD/mpeg_tests/mpeg_load_bench.exe")" "$VELMORA_MPEG_DLL" \
    "$(winpath "$WORK/vbr_60min_xing.mp3")" "$(winpath "$WORK/vbr_60min_noheader.mp3")" || true
  rm -f "$WORK/vbr_60min_xing.mp3" "$WORK/vbr_60min_noheader.mp3"
fi
"${WINESERVER:-/usr/lib/wine/wineserver}" -k 2>/dev/null || true
exit $status
