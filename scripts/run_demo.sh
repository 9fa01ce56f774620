#!/usr/bin/env bash
# Installs what is missing, builds the 64-bit program folder and starts the player under
# wine64 playing the bundled demo track (build/win64/dist/demo.mp3). Without a DISPLAY it
# runs on a private Xvfb. The player runs until it is closed (or Ctrl-C); with
# --seconds N it is closed after N seconds and the bytes that reached the audio sink are
# reported.
# Usage: scripts/run_demo.sh [--skip-install] [--seconds N]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
skip_install=0
seconds=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --skip-install) skip_install=1; shift ;;
    --seconds) seconds="$2"; shift 2 ;;
    --seconds=*) seconds="${1#--seconds=}"; shift ;;
    -h|--help) sed -n '2,8p' "$0"; exit 0 ;;
    *) echo "run_demo.sh: unknown option $1" >&2; exit 2 ;;
  esac
done

if [[ $skip_install == 1 ]]; then
  bash "$ROOT/scripts/build_deps.sh"
else
  bash "$ROOT/scripts/setup.sh"
fi
bash "$ROOT/scripts/build.sh" --only win64

DIST="$ROOT/build/win64/dist"
[[ -f "$DIST/demo.mp3" ]] || { echo "[demo] no demo track in $DIST" >&2; exit 1; }

# shellcheck source=scripts/wine_env.sh
source "$ROOT/scripts/wine_env.sh"
wine_env_start

echo "[demo] starting the player on ${DISPLAY} with demo.mp3"
cd "$DIST"
"$WINE" "$DIST/velmora.exe" "$(to_windows_path "$DIST/demo.mp3")" &
player=$!
trap 'kill "$player" 2>/dev/null || true; wine_env_stop' EXIT INT TERM

if [[ -n "$seconds" ]]; then
  sleep "$seconds"
  bytes="$(stat -c %s "$VELMORA_RUN_DIR/sink.raw" 2>/dev/null || echo 0)"
  echo "[demo] audio bytes in the ALSA sink after ${seconds}s: $bytes"
  kill "$player" 2>/dev/null || true
  wait "$player" 2>/dev/null || true
  [[ "$bytes" -gt 0 ]] || { echo "[demo] no audio reached the sink" >&2; exit 1; }
else
  wait "$player" || true
fi
