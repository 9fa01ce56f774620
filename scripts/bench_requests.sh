#!/usr/bin/env bash
# What the player asks of wine's server while it runs, counted (run by scripts/bench.sh,
# or alone):
#
#   scripts/bench_requests.sh <win64 build folder>
#
# The player runs under a wineserver that logs every request (WINEDEBUG=+server) in four
# states: playing a song with the title scrolling, playing with "Do not Scroll", started
# with nothing to play, and in shadow mode (the small window following the pointer, the
# tray icon shown, nothing playing). For WINDOW seconds of each it prints the server requests
# per second of velmora.exe's window thread, by kind, and the timer messages it received
# per second, by window and timer: a scroll step is one timer message or one wait of the
# program's loop, and any other wake-up shows here. Counts do not depend on the machine's
# load, unlike the CPU figures of scripts/bench_playback.sh. Prints figures only.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(cd "${1:?usage: bench_requests.sh <win64 build folder>}" && pwd)"
WINDOW="${VELMORA_BENCH_REQUEST_WINDOW:-5}"
log() { echo "[bench] $*" >&2; }

# shellcheck source=scripts/wine_env.sh
source "$ROOT/scripts/wine_env.sh"
TRACE="$(mktemp "${TMPDIR:-/tmp}/velmora-requests.XXXXXX")"
# The server's own standard error goes to TRACE as well.
wine_env_start 2>>"$TRACE" || { cat "$TRACE" >&2; exit 3; }
trap 'wine_env_stop 2>/dev/null; rm -f "$TRACE"' EXIT
# The server logs every request while its clients ask it to (WINEDEBUG=+server), into
# the standard error of the clients: theirs all go to TRACE.
export WINEDEBUG=+server
RUN="$VELMORA_RUN_DIR"
PROBE="$BUILD/bench/player_probe.exe"
MEDIA="$RUN/media"
mkdir -p "$MEDIA"
sox -n -r 44100 -c 2 -b 16 "$MEDIA/minute.wav" synth 60 sine 300-3000 vol 0.4
lame --quiet --noreplaygain -V 2 --id3v2-only \
  --tt "A title long enough to scroll across the whole banner of the player" \
  "$MEDIA/minute.wav" "$MEDIA/song.mp3"
rm -f "$MEDIA/minute.wav"

# count LABEL: the window thread's requests over the last WINDOW seconds of TRACE.
count() {
  local start end
  start="$(wc -l <"$TRACE")"
  sleep "$WINDOW"
  end="$(wc -l <"$TRACE")"
  sed -n "$((start + 1)),${end}p" "$TRACE" | python3 -c '
import collections, re, sys
label, seconds = sys.argv[1], float(sys.argv[2])
requests = collections.defaultdict(collections.Counter)
timers = collections.defaultdict(collections.Counter)
for line in sys.stdin:
    m = re.match(r"([0-9a-f]{4}): ([a-z_]+)\( ", line)
    if m:
        requests[m.group(1)][m.group(2)] += 1
        continue
    m = re.match(r"([0-9a-f]{4}): get_message\(\) = 0 \{ win=([0-9a-f]+), msg=00000113, wparam=([0-9a-f]+)", line)
    if m:
        timers[m.group(1)][(m.group(2), int(m.group(3), 16))] += 1
# The window thread: the one that takes the most messages.
thread = max(requests, key=lambda t: requests[t]["get_message"], default=None)
if thread is None:
    print(f"{label}: no requests logged"); sys.exit()
total = sum(requests[thread].values())
kinds = ", ".join(f"{k} {n / seconds:.1f}" for k, n in requests[thread].most_common(6))
print(f"{label}: window thread {total / seconds:.1f} requests/s ({kinds})")
for (win, timer), n in sorted(timers[thread].items(), key=lambda e: -e[1]):
    print(f"  timer {timer:#x} of window {win}: {n / seconds:.1f}/s")
if not timers[thread]:
    print("  no timer messages")
' "$1" "$WINDOW"
}

# run MODE (scroll | noscroll | idle | shadow)
run() {
  local mode="$1" app="$RUN/app-$1" i
  rm -rf "$app"
  cp -r "$BUILD/dist" "$app"
  "$WINE" reg delete 'HKCU\Software\velmora' /f >/dev/null 2>>"$TRACE" || true
  if [[ "$mode" == shadow ]]; then
    # The small window riding on the window under the pointer, the tray icon and the
    # task-bar button shown, nothing playing.
    "$WINE" reg add 'HKCU\Software\velmora' /v ShadowMode /t REG_DWORD /d 1 /f >/dev/null 2>>"$TRACE"
    "$WINE" reg add 'HKCU\Software\velmora' /v VisibleMode /t REG_DWORD /d 2 /f >/dev/null 2>>"$TRACE"
    "$WINE" reg add 'HKCU\Software\velmora' /v Nag /t REG_DWORD /d 0 /f >/dev/null 2>>"$TRACE"
  fi
  [[ "$mode" == idle || "$mode" == shadow ]] || to_windows_path "$MEDIA/song.mp3" >"$app/pl.m3u"
  "$WINE" "$app/velmora.exe" >/dev/null 2>>"$TRACE" &
  local launcher=$!
  for ((i = 0; i < 300; ++i)); do
    "$WINE" "$app/velmoractl.exe" count >/dev/null 2>>"$TRACE" && break
    sleep 0.2
  done
  if [[ "$mode" != idle && "$mode" != shadow ]]; then
    for ((i = 0; i < 20; ++i)); do
      "$WINE" "$app/velmoractl.exe" play >/dev/null 2>>"$TRACE" && break
      sleep 1
    done
    if [[ "$mode" == noscroll ]]; then
      "$WINE" "$PROBE" scroll off 2>>"$TRACE" || log "could not switch scrolling off"
    else
      "$WINE" "$PROBE" scroll on 2>>"$TRACE" || log "could not switch scrolling on"
    fi
  fi
  sleep 6  # past the start-up's one-shot timers
  count "velmora.exe ($mode)"
  "$WINE" "$app/velmoractl.exe" exit >/dev/null 2>>"$TRACE" || true
  for ((i = 0; i < 100; ++i)); do kill -0 "$launcher" 2>/dev/null || break; sleep 0.1; done
  kill "$launcher" 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
}

echo "== what velmora.exe asks of wine's server (requests of its window thread, ${WINDOW} s)"
run scroll
run noscroll
run idle
run shadow
