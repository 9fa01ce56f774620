#!/usr/bin/env bash
# What playing a song costs (run by scripts/bench.sh, or alone):
#
#   scripts/bench_playback.sh <win64 build folder>
#
# A 60-second VBR MP3 with a title long enough to scroll is made here (sox, lame) and
# played into the real-time paced sink of scripts/wine_env.sh by
#   - velmora.exe through the shipped MPEG plug-in, Default design, a 1,000-entry
#     playlist, with the title scrolling, with "Do not Scroll", and scrolling with the VU
#     meter shown (VELMORA_BENCH_VU=0 leaves that run out); and as a newcomer meets it:
#     the settings a first start stores, the song on the command line, the mouse pointer
#     resting on the title;
#   - waveout_floor.exe, a minimal wave-out program of ours playing the decoded samples
#     (what wine itself costs to play);
#   - the peers: Audacious headless into the same sink, and mpg123 -o dummy (decoding
#     alone, as fast as it goes). Both are Debian packages this script installs when
#     missing; nothing else installs them.
# CPU comes from /proc/PID/stat (user + system) over a steady-state window that starts
# SETTLE seconds after the sound began, per 60 s of audio that reached the sink in that
# window. Private bytes are what wine reports as a process's private memory
# (PagefileUsage: its anonymous resident memory and swap, RssAnon + VmSwap; wine leaves
# PrivateUsage itself at 0), read at the end of the window.
# The ratios against wine's floor (player + wineserver over floor + wineserver) are taken
# within the same run, so a machine loaded by other work moves both sides alike.
#   VELMORA_BENCH_MODES   the player's runs (default "scroll noscroll vu firststart")
#   VELMORA_BENCH_PEERS=0 leaves the native peers out (nothing is installed for them)
# Prints figures only; it asserts nothing about them.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="$(cd "${1:?usage: bench_playback.sh <win64 build folder>}" && pwd)"
SETTLE="${VELMORA_BENCH_SETTLE:-8}"    # seconds after the sound starts
WINDOW="${VELMORA_BENCH_WINDOW:-40}"   # seconds measured
HZ="$(getconf CLK_TCK)"
log() { echo "[bench] $*" >&2; }

# --- the peers and the media tools (Debian packages) ---------------------------------------
PEERS="${VELMORA_BENCH_PEERS:-1}"
MODES="${VELMORA_BENCH_MODES:-scroll noscroll vu firststart}"
[[ "${VELMORA_BENCH_VU:-1}" == 1 ]] || MODES="${MODES//vu/}"
tools=(lame:lame sox:sox)
[[ $PEERS == 1 ]] && tools+=(mpg123:mpg123 audacious:audacious)
missing=()
for pair in "${tools[@]}"; do
  command -v "${pair%%:*}" >/dev/null || missing+=("${pair#*:}")
done
if [[ ${#missing[@]} -gt 0 ]]; then
  log "installing ${missing[*]}"
  apt-get update -qq >/dev/null
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    >/dev/null
fi

# shellcheck source=scripts/wine_env.sh
source "$ROOT/scripts/wine_env.sh"
wine_env_start || exit 3
RUN="$VELMORA_RUN_DIR"
SINK="$RUN/sink.raw"

# --- media: one minute of changing material, VBR, a long title ---------------------------
MEDIA="$RUN/media"
mkdir -p "$MEDIA"
TITLE="A title long enough to scroll across the whole banner of the player"
sox -n -r 44100 -c 2 -b 16 "$MEDIA/minute.wav" synth 60 sine 300-3000 synth 60 pinknoise mix \
  vol 0.4
lame --quiet --noreplaygain -V 2 --id3v2-only --tt "$TITLE" --ta "The Benchmark Band" \
  "$MEDIA/minute.wav" "$MEDIA/song.mp3"
lame --quiet --decode -t "$MEDIA/song.mp3" "$MEDIA/song.raw"
rm -f "$MEDIA/minute.wav"

# --- measuring ----------------------------------------------------------------------------
# Linux PID of the process of our wine prefix whose command line holds $1.
prefix_pid() {
  local p
  for p in /proc/[0-9]*; do
    grep -aq -- "$1" "$p/cmdline" 2>/dev/null || continue
    tr '\0' '\n' <"$p/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" || continue
    echo "${p#/proc/}"
    return 0
  done
  return 1
}
# utime + stime in clock ticks (of the process, or of one thread: /proc/P/task/T).
ticks() { sed 's/.*) //' "$1/stat" 2>/dev/null | awk '{print $12 + $13}' || echo 0; }
sink_bytes() { stat -c %s "$SINK"; }
private_kb() { awk '/^(RssAnon|VmSwap):/ {kb += $2} END {print kb + 0}' "/proc/$1/status"; }
# Waits until the sink has grown by 1 s of audio (the sound started); false after $1 s.
wait_sound() {
  local start i
  start="$(sink_bytes)"
  for ((i = 0; i < $1 * 10; ++i)); do
    (($(sink_bytes) - start > 176400)) && return 0
    sleep 0.1
  done
  return 1
}
fmt() { awk -v v="$1" 'BEGIN {printf "%.2f", v}'; }

# measure LABEL PID [extra PID ...]: the CPU of each over WINDOW seconds of audio, per
# minute of audio. Sets RESULT_<n> (seconds per minute, n = 0, 1, ...) and AUDIO_S.
declare -A THREAD0
measure() {
  local label="$1"
  shift
  local pids=("$@") before=() after=() i s0 s1 t
  local tid
  THREAD0=()
  for tid in /proc/"${pids[0]}"/task/*; do THREAD0[$tid]="$(ticks "$tid")"; done
  s0="$(sink_bytes)"
  for i in "${!pids[@]}"; do before[i]="$(ticks /proc/"${pids[i]}")"; done
  sleep "$WINDOW"
  for i in "${!pids[@]}"; do after[i]="$(ticks /proc/"${pids[i]}")"; done
  s1="$(sink_bytes)"
  AUDIO_S="$(awk -v b=$((s1 - s0)) 'BEGIN {print b / 176400}')"
  for i in "${!pids[@]}"; do
    t=$((after[i] - before[i]))
    printf -v "RESULT_$i" '%s' "$(awk -v t="$t" -v hz="$HZ" -v a="$AUDIO_S" \
      'BEGIN {print (a > 0 ? t / hz * 60 / a : 0)}')"
  done
  # Where the first process's time went, by thread (the main thread is its window thread).
  local parts=() total=0 d
  for tid in "${!THREAD0[@]}"; do
    d=$(($(ticks "$tid") - THREAD0[$tid]))
    ((d > 0)) || continue
    total=$((total + d))
    parts+=("$d ${tid##*/}")
  done
  local line="" n=0
  while read -r d t; do
    ((n++ < 4)) || break
    [[ "$t" == "${pids[0]}" ]] && name="window thread" || name="thread $t"
    line+="$name $(awk -v d="$d" -v T="$total" 'BEGIN {printf "%.0f%%", 100 * d / T}'), "
  done < <(printf '%s\n' "${parts[@]}" | sort -rn)
  log "$label: $(fmt "$AUDIO_S") s of audio measured; ${line%, }"
}

# --- velmora.exe --------------------------------------------------------------------------
PROBE="$BUILD/bench/player_probe.exe"
declare -A CPU
# run_player MODE (scroll | noscroll | vu | firststart): a fresh program folder and settings,
# a 1,000-entry playlist whose first entry is the song, Play, then the measurement.
# firststart is what a newcomer sees: the player started once and closed (it stores the
# settings a first start leaves), then started again with the song on its command line
# and no playlist of its own, the mouse pointer resting on the title.
run_player() {
  local mode="$1" app="$RUN/app-$1" pid server i
  rm -rf "$app"
  cp -r "$BUILD/dist" "$app"
  "$WINE" reg delete 'HKCU\Software\velmora' /f >/dev/null 2>&1 || true
  local arguments=()
  if [[ "$mode" == firststart ]]; then
    "$WINE" "$app/velmora.exe" >"$RUN/player-$mode-first.log" 2>&1 &
    local first=$!
    for ((i = 0; i < 300; ++i)); do
      "$WINE" "$app/velmoractl.exe" count >/dev/null 2>&1 && break
      sleep 0.2
    done
    "$WINE" "$app/velmoractl.exe" exit >/dev/null 2>&1 || true
    for ((i = 0; i < 100; ++i)); do kill -0 "$first" 2>/dev/null || break; sleep 0.1; done
    kill "$first" 2>/dev/null || true
    wait "$first" 2>/dev/null || true
    arguments=("$(to_windows_path "$MEDIA/song.mp3")")
  else
    {
      to_windows_path "$MEDIA/song.mp3"
      for ((i = 1; i < 1000; ++i)); do to_windows_path "$MEDIA/track $i.mp3"; done
    } >"$app/pl.m3u"
  fi
  "$WINE" "$app/velmora.exe" "${arguments[@]}" >"$RUN/player-$mode.log" 2>&1 &
  local launcher=$!
  for ((i = 0; i < 300; ++i)); do
    "$WINE" "$app/velmoractl.exe" count >/dev/null 2>&1 && break
    sleep 0.2
  done
  # Play is refused until the start-up has restored the playlist, and the file has no
  # plug-in until the library scan has run: ask again until the sound starts. A file on
  # the command line plays by itself.
  for ((i = 0; i < 20; ++i)); do
    [[ "$mode" == firststart ]] && wait_sound 3 && break
    "$WINE" "$app/velmoractl.exe" play >/dev/null 2>&1 && wait_sound 3 && break
    sleep 1
  done
  ((i < 20)) || { log "velmora.exe: no sound"; return 1; }
  if [[ "$mode" == firststart ]]; then
    # As stored: whatever the first start left; the pointer rests on the title, as a
    # newcomer's does (its hint shows and goes away).
    "$WINE" "$PROBE" pointer-on-title || log "could not move the pointer onto the title"
  elif [[ "$mode" == noscroll ]]; then
    "$WINE" "$PROBE" scroll off || log "could not switch scrolling off"
  else
    "$WINE" "$PROBE" scroll on || log "could not switch scrolling on"
  fi
  if [[ "$mode" == vu ]]; then
    "$WINE" "$PROBE" vu-meter || log "could not show the VU meter"
  fi
  sleep "$SETTLE"
  pid="$(prefix_pid velmora.exe)" || { log "no velmora.exe process"; return 1; }
  server="$(prefix_pid wineserver)" || { log "no wineserver"; return 1; }
  measure "velmora.exe ($mode)" "$pid" "$server"
  CPU[$mode]="$RESULT_0"
  CPU[$mode-server]="$RESULT_1"
  PRIVATE[$mode]="$(private_kb "$pid")"
  RSS[$mode]="$(awk '/VmHWM/ {print $2}' /proc/"$pid"/status)"
  "$WINE" "$app/velmoractl.exe" exit >/dev/null 2>&1 || true
  for ((i = 0; i < 100; ++i)); do kill -0 "$launcher" 2>/dev/null || break; sleep 0.1; done
  kill "$launcher" 2>/dev/null || true
  wait "$launcher" 2>/dev/null || true
}
declare -A PRIVATE RSS
for mode in $MODES; do
  run_player "$mode" || log "velmora.exe ($mode) not measured"
done

# --- the minimal wave-out program: wine's own floor --------------------------------------
"$WINE" "$BUILD/bench/waveout_floor.exe" "$(to_windows_path "$MEDIA/song.raw")" &
floor_launcher=$!
if wait_sound 30; then
  sleep "$SETTLE"
  floor_pid="$(prefix_pid waveout_floor.exe)"
  measure "waveout_floor.exe" "$floor_pid" "$(prefix_pid wineserver)"
  CPU[floor]="$RESULT_0"
  PRIVATE[floor]="$(private_kb "$floor_pid")"
  CPU[floor-server]="$RESULT_1"
else
  log "waveout_floor.exe: no sound"
fi
kill "$floor_launcher" 2>/dev/null || true
wait "$floor_launcher" 2>/dev/null || true

# --- the peers ----------------------------------------------------------------------------
if [[ $PEERS == 1 ]]; then
# Audacious, headless, into the same sink (its ALSA output reads the same ~/.asoundrc).
mkdir -p "$HOME/.config/audacious"
audacious -H -q "$MEDIA/song.mp3" >"$RUN/audacious.log" 2>&1 &
aud_pid=$!
if wait_sound 30; then
  sleep "$SETTLE"
  measure "audacious -H" "$aud_pid"
  CPU[audacious]="$RESULT_0"
  RSS[audacious]="$(awk '/VmHWM/ {print $2}' /proc/"$aud_pid"/status 2>/dev/null || echo 0)"
else
  log "audacious: no sound reached the sink ($(tail -n 2 "$RUN/audacious.log" | tr '\n' ' '))"
fi
kill "$aud_pid" 2>/dev/null || true
wait "$aud_pid" 2>/dev/null || true

# Audacious starting with a 10,000-entry list (the same names as the player's start-up
# benchmark, files that are not there): from launch until its window is shown, 5 starts.
python3 - "$RUN/big.m3u" <<'PY'
import sys
with open(sys.argv[1], "w") as f:
    for i in range(10000):
        f.write(f"/big/song{i}.mp3\n")
PY
starts=()
for ((i = 0; i < 5; ++i)); do
  # A fresh configuration each time, so no start inherits the list the one before saved.
  rm -rf "$RUN/audacious-config"
  mkdir -p "$RUN/audacious-config"
  t0="$(date +%s%N)"
  XDG_CONFIG_HOME="$RUN/audacious-config" audacious -e "$RUN/big.m3u" >/dev/null 2>&1 &
  aud_pid=$!
  if timeout 60 xdotool search --sync --onlyvisible --pid "$aud_pid" >/dev/null 2>&1; then
    starts+=("$(( ($(date +%s%N) - t0) / 1000000 ))")
  else
    log "audacious: no window within 60 s"
  fi
  kill "$aud_pid" 2>/dev/null || true
  wait "$aud_pid" 2>/dev/null || true
done
if [[ ${#starts[@]} -gt 0 ]]; then
  STARTUP_AUDACIOUS="$(printf '%s\n' "${starts[@]}" | sort -n | awk '{v[NR] = $1} END {print v[int(NR / 2) + 1]}')"
fi

# mpg123: the whole minute decoded as fast as it goes (no pacing), so its total is the
# cost of decoding one minute.
read -r mpg_cpu mpg_rss < <(python3 - "$MEDIA/song.mp3" <<'PY'
import resource, subprocess, sys
subprocess.run(["mpg123", "-q", "-o", "dummy", sys.argv[1]], check=False)
r = resource.getrusage(resource.RUSAGE_CHILDREN)
print(r.ru_utime + r.ru_stime, r.ru_maxrss)
PY
)
CPU[mpg123]="$mpg_cpu"
RSS[mpg123]="$mpg_rss"
fi

# --- the table ----------------------------------------------------------------------------
share() { awk -v s="$1" 'BEGIN {printf "%.2f%%", 100 * s / 60}'; }
mb() { awk -v k="$1" 'BEGIN {printf "%.0f MB", k / 1024}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {if (b > 0) printf "%.2fx", a / b; else print "-"}'; }
sum() { awk -v a="$1" -v b="$2" 'BEGIN {print a + b}'; }
row() { printf '| %-52s | %9s s | %7s | %-8s |\n' "$1" "$(fmt "$2")" "$(share "$2")" "$3"; }
# player_row MODE LABEL: the player's row and its wineserver's, when that run was measured.
player_row() {
  [[ -n "${CPU[$1]:-}" ]] || return 0
  row "$2" "${CPU[$1]}" "$(mb "${RSS[$1]:-0}")"
  row "wineserver while it plays" "${CPU[$1-server]:-0}" "-"
}
echo "== what playing a song costs (CPU per 60 s of audio, steady state; window ${WINDOW} s)"
printf '| %-52s | %11s | %7s | %-8s |\n' "player" "CPU / 60 s" "of core" "peak RSS"
if [[ $PEERS == 1 ]]; then
  row "mpg123 -q -o dummy (pure decode, the limit)" "${CPU[mpg123]}" "$(mb "${RSS[mpg123]}")"
  row "audacious -H (Debian package)" "${CPU[audacious]:-0}" "$(mb "${RSS[audacious]:-0}")"
fi
player_row scroll "velmora.exe, Default design, title scrolling"
player_row noscroll "velmora.exe, Default design, Do not Scroll"
player_row vu "velmora.exe, title scrolling, VU meter shown"
player_row firststart "velmora.exe, first start's settings, file as argument"
row "waveout_floor.exe (wave-out alone, wine's floor)" "${CPU[floor]:-0}" "-"
row "wineserver while it plays" "${CPU[floor-server]:-0}" "-"
# With its wineserver, against wine's floor with its wineserver, all from this run.
floor_total="$(sum "${CPU[floor]:-0}" "${CPU[floor-server]:-0}")"
with_server() { sum "${CPU[$1]:-0}" "${CPU[$1-server]:-0}"; }
for mode in scroll noscroll vu firststart; do
  [[ -n "${CPU[$mode]:-}" ]] || continue
  case $mode in
    scroll) goal="(goal <= 1.6x)" ;;
    *) goal="" ;;
  esac
  echo "velmora.exe + wineserver ($mode) / wine's floor + wineserver:" \
    "$(ratio "$(with_server "$mode")" "$floor_total") $goal"
done
if [[ -n "${CPU[vu]:-}" && -n "${CPU[scroll]:-}" ]]; then
  echo "VU meter shown / the same playback without it (velmora.exe + wineserver):" \
    "$(ratio "$(with_server vu)" "$(with_server scroll)") (goal <= 1.3x)"
fi
if [[ -n "${CPU[firststart]:-}" && -n "${CPU[scroll]:-}" ]]; then
  echo "first start's settings / the benchmark's (velmora.exe + wineserver):" \
    "$(ratio "$(with_server firststart)" "$(with_server scroll)")"
fi
if [[ $PEERS == 1 ]]; then
  echo "velmora.exe scrolling / audacious: $(ratio "${CPU[scroll]:-0}" "${CPU[audacious]:-0}")" \
    "(goal <= 0.27 s, par); Do not Scroll / audacious:" \
    "$(ratio "${CPU[noscroll]:-0}" "${CPU[audacious]:-0}") (goal <= 0.15 s)"
  echo "velmora.exe scrolling / mpg123: $(ratio "${CPU[scroll]:-0}" "${CPU[mpg123]}")"
  if [[ -n "${STARTUP_AUDACIOUS:-}" ]]; then
    echo "audacious start-up with a 10000-entry list, launch until its window is shown:" \
      "median ${STARTUP_AUDACIOUS} ms (5 starts)"
  fi
fi
if [[ -n "${PRIVATE[scroll]:-}" ]]; then
  echo "private bytes of velmora.exe, Default design, 1,000-entry playlist, playing:" \
    "$(awk -v k="${PRIVATE[scroll]:-0}" 'BEGIN {printf "%.1f MB", k / 1024}') (goal <= 20 MB);" \
    "of waveout_floor.exe (wine's floor): $(awk -v k="${PRIVATE[floor]:-0}" \
    'BEGIN {printf "%.1f MB", k / 1024}')"
fi
