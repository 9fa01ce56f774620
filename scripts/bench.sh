#!/usr/bin/env bash
# Runs every benchmark; each prints its own figures and none judges them:
#   1. the native benchmark programs (tests/bench/*_bench.cpp) from the native build: the
#      design reader, the playlist model, the jump-to-file filter (100,000 names a keystroke)
#   2. under wine64 on Xvfb, from the win64 build: the disabled end-to-end benchmarks of
#      the running program (velmora_e2e --gtest_also_run_disabled_tests, the cases named
#      *Bench* and *IdleCpu*: folder add, 100,000-entry playlist, applying a design, idle CPU,
#      what the shown VU meter adds to it)
#   3. the MPEG benchmarks (tests/e2e/mpeg_run.sh <win64 build> --bench): decoding, and
#      `load` of a 60-minute VBR file with and without its Xing header
#   4. what playing a song costs (scripts/bench_playback.sh <win64 build>): CPU per minute
#      of audio of velmora.exe and wineserver with the title scrolling and not, private
#      bytes, wine's own floor, and the native peers (mpg123, Audacious) with the ratios;
#      Audacious's start-up with a 10,000-entry list, against the player's from part 2
#   5. the FLAC/Ogg/Opus/WAV plug-in (scripts/bench_openaudio.sh <win64 build>): CPU per
#      minute of decoding each format against flac -d, oggdec and opusdec, private bytes
#   6. what the player asks of wine's server (scripts/bench_requests.sh <win64 build>):
#      requests and timer messages per second of its window thread, playing with the title
#      scrolling and not, with nothing to play and in shadow mode (counts, unmoved by the
#      machine's load)
#
# Options:
#   --native-only | --wine-only    run only part 1, or only parts 2 to 6
#   --skip-mpeg                    leave out part 3
#   --skip-playback                leave out part 4 (it takes about five minutes)
#   --skip-openaudio               leave out part 5
#   --skip-requests                leave out part 6
#   --skip-idle                    leave out the idle CPU benchmarks (they take about 2 minutes)
#   --native-build DIR             use (configure and build if needed) DIR instead of build/native
#   --win64-build DIR              use DIR instead of build/win64
#   --gtest_filter=PAT             the e2e cases to run instead of *Bench*:*IdleCpu*
# The builds are made (only the needed targets) when missing or out of date.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${VELMORA_JOBS:-2}"
run_native=1 run_wine=1 run_mpeg=1 run_idle=1 run_playback=1 run_openaudio=1 run_requests=1
native_build="" win64_build="" filter=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --native-only) run_wine=0 ;;
    --wine-only) run_native=0 ;;
    --skip-mpeg) run_mpeg=0 ;;
    --skip-idle) run_idle=0 ;;
    --skip-playback) run_playback=0 ;;
    --skip-openaudio) run_openaudio=0 ;;
    --skip-requests) run_requests=0 ;;
    --native-build) native_build="$2"; shift ;;
    --native-build=*) native_build="${1#*=}" ;;
    --win64-build) win64_build="$2"; shift ;;
    --win64-build=*) win64_build="${1#*=}" ;;
    --gtest_filter=*) filter="${1#*=}" ;;
    -h|--help) sed -n '2,29p' "$0"; exit 0 ;;
    *) echo "bench.sh: unknown option $1" >&2; exit 2 ;;
  esac
  shift
done
log() { echo "[bench] $*"; }
status=0
# Figures later parts compare (start-up against the peer).
FIGURES="$(mktemp -d "${TMPDIR:-/tmp}/velmora-bench.XXXXXX")"
trap 'rm -rf "$FIGURES"' EXIT

# Configures DIR (with an optional toolchain) unless done, then builds the given targets.
build_targets() {
  local dir="$1" toolchain="$2"
  shift 2
  if [[ ! -f "$dir/build.ninja" ]]; then
    local args=(-G Ninja -DCMAKE_BUILD_TYPE="${VELMORA_BUILD_TYPE:-RelWithDebInfo}")
    [[ -n "$toolchain" ]] && args+=(-DCMAKE_TOOLCHAIN_FILE="$toolchain")
    log "configuring $dir"
    cmake -S "$ROOT" -B "$dir" "${args[@]}" >/dev/null
  fi
  log "building $* in $dir"
  cmake --build "$dir" -j "$JOBS" --target "$@"
}

# --- native benchmark programs ------------------------------------------------------------
if [[ $run_native == 1 ]]; then
  if [[ -z "$native_build" ]]; then
    bash "$ROOT/scripts/build.sh" --only native
    native_build="$ROOT/build/native"
  else
    build_targets "$native_build" "" all
  fi
  shopt -s nullglob
  benches=("$native_build"/bench/*_bench)
  shopt -u nullglob
  if [[ ${#benches[@]} -eq 0 ]]; then
    log "no native benchmarks (tests/bench/*_bench.cpp)"
  fi
  for b in "${benches[@]}"; do
    echo "== $(basename "$b")"
    "$b" || { log "$(basename "$b") failed"; status=1; }
  done
fi

# --- benchmarks of the running program under wine -----------------------------------------
if [[ $run_wine == 1 ]]; then
  if [[ -z "$win64_build" ]]; then
    bash "$ROOT/scripts/build_deps.sh" >/dev/null
    bash "$ROOT/scripts/build.sh" --only win64
    win64_build="$ROOT/build/win64"
  else
    win64_build="$(mkdir -p "$win64_build" && cd "$win64_build" && pwd)"
    targets=(velmora_e2e)
    [[ $run_mpeg == 1 ]] && targets+=(mpeg_plugin_checks mpeg_decode_bench mpeg_load_bench)
    [[ $run_playback == 1 ]] && targets+=(velmora velmoractl mpeg player_probe waveout_floor)
    [[ $run_openaudio == 1 ]] && targets+=(velmora velmoractl openaudio openaudio_decode_bench)
    [[ $run_requests == 1 ]] && targets+=(velmora velmoractl mpeg player_probe)
    build_targets "$win64_build" "$ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake" "${targets[@]}"
  fi
  if [[ -z "$filter" ]]; then
    filter='*Bench*'
    [[ $run_idle == 1 ]] && filter+=':*IdleCpu*'
  fi
  E2E="$win64_build/e2e/velmora_e2e.exe"
  if [[ -f "$E2E" ]]; then
    (
      # shellcheck source=scripts/wine_env.sh
      source "$ROOT/scripts/wine_env.sh"
      wine_env_start || exit 3
      export VELMORA_DIST VELMORA_TESTPLUGINS
      VELMORA_DIST="$(to_windows_path "$win64_build/dist")"
      VELMORA_TESTPLUGINS="$(to_windows_path "$win64_build/testplugins")"
      echo "== velmora_e2e $filter (under wine)"
      timeout "${VELMORA_BENCH_TIMEOUT:-1800}" "$WINE" "$E2E" --gtest_also_run_disabled_tests \
        --gtest_filter="$filter"
    ) | tee "$FIGURES/e2e.txt" || { log "the end-to-end benchmarks failed (exit $?)"; status=1; }
  else
    log "missing $E2E"
    status=1
  fi

  if [[ $run_mpeg == 1 ]]; then
    echo "== MPEG decode and load (under wine)"
    mpeg_dir="$(mktemp -d "${TMPDIR:-/tmp}/velmora-mpeg-bench.XXXXXX")"
    # Only the benchmark's figures matter here; the checks that run first are the test
    # suite's business, so their output is kept out of the way (in the log below).
    MPEG_RUN_DIR="$mpeg_dir" bash "$ROOT/tests/e2e/mpeg_run.sh" "$win64_build" --bench \
      --gtest_filter='-*' >"$mpeg_dir.log" 2>&1 && mpeg_ok=1 || { mpeg_ok=0; log "mpeg_run.sh ended with an error (log kept: $mpeg_dir.log)"; }
    # What is left once GoogleTest's own lines are taken out: the benchmark's figures.
    grep -v -e '^\[' -e '^Note: ' -e '^$' -e '^Running main()' -e '^  YOU HAVE' "$mpeg_dir.log" || true
    WINEPREFIX="$mpeg_dir/prefix" /usr/lib/wine/wineserver -k 2>/dev/null || true
    rm -rf "$mpeg_dir"
    [[ $mpeg_ok == 1 ]] && rm -f "$mpeg_dir.log"
  fi

  if [[ $run_playback == 1 ]]; then
    echo "== what playing a song costs (under wine, with the native peers)"
    bash "$ROOT/scripts/bench_playback.sh" "$win64_build" | tee "$FIGURES/playback.txt" ||
      { log "bench_playback.sh failed (exit $?)"; status=1; }
  fi

  if [[ $run_openaudio == 1 ]]; then
    echo "== the FLAC/Ogg/Opus/WAV plug-in: decoding against the native decoders (under wine)"
    bash "$ROOT/scripts/bench_openaudio.sh" "$win64_build" ||
      { log "bench_openaudio.sh failed (exit $?)"; status=1; }
  fi

  if [[ $run_requests == 1 ]]; then
    echo "== what the player asks of wine's server (under wine)"
    bash "$ROOT/scripts/bench_requests.sh" "$win64_build" ||
      { log "bench_requests.sh failed (exit $?)"; status=1; }
  fi
fi
# Start-up against the peer: the player's median (its end-to-end benchmark) over
# Audacious's (the playback benchmark's peers), when this run measured both.
velmora_start="$(sed -n 's/.*until the main window is ready: .*median \([0-9]*\) ms.*/\1/p' \
  "$FIGURES/e2e.txt" 2>/dev/null | head -n 1)"
peer_start="$(sed -n 's/^audacious start-up.*median \([0-9]*\) ms.*/\1/p' \
  "$FIGURES/playback.txt" 2>/dev/null | head -n 1)"
if [[ -n "$velmora_start" && -n "$peer_start" && "$peer_start" -gt 0 ]]; then
  echo "start-up with a 10000-entry list, velmora.exe / audacious:" \
    "$(awk -v a="$velmora_start" -v b="$peer_start" 'BEGIN {printf "%.2fx", a / b}')" \
    "($velmora_start ms / $peer_start ms)"
fi
exit $status
