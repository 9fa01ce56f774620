# Sourced by scripts/test.sh and scripts/run_demo.sh: a throw-away environment in which
# velmora.exe runs under wine64.
#
#   wine_env_start   makes a run folder (VELMORA_RUN_DIR) holding
#                      home/        HOME for this run, with an .asoundrc whose only wave-out
#                                   device appends raw S16_LE stereo 44100 Hz to sink.raw
#                      prefix/      a fresh WINEPREFIX (wineboot -i, crash dialog off)
#                      sink.raw     the audio sink (VELMORA_AUDIO_SINK holds its Z:\ path)
#                    starts Xvfb on a free display unless DISPLAY is set (or when
#                    VELMORA_FORCE_XVFB=1), and a persistent wineserver for the run.
#   wine_env_stop    ends the wineserver and Xvfb it started and removes the run folder
#                    (kept when VELMORA_KEEP_RUN=1). wine_env_start installs it as an EXIT trap.
#   to_windows_path  /a/b -> Z:\a\b
#   WINE             the wine64 loader to run programs with
#
# Audio: the ALSA "file" plug-in writes what it is given and passes it on to the "null"
# device, so playback needs no sound card; a "plug" in front fixes the stored format. It
# writes through a pipe to scripts/audio_sink.py, which appends to the one sink file (so
# every opening of the device adds to it; the plug-in itself would truncate it or start a
# new numbered file) and takes the samples no faster than real time: the null device keeps
# no time, the blocked pipe does.

WINE="${WINE:-/usr/lib/wine/wine64}"
WINESERVER="${WINESERVER:-/usr/lib/wine/wineserver}"
[[ -x "$WINE" ]] || WINE="$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)"
[[ -x "$WINESERVER" ]] || WINESERVER="$(command -v wineserver || echo /usr/lib/wine/wineserver)"

_wine_env_xvfb_pid=""
_wine_env_started=""
_wine_env_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

to_windows_path() {
  local p="$1"
  echo "Z:${p//\//\\}"
}

_wine_env_log() { echo "[wine-env] $*" >&2; }

# A display number with neither a live server nor a socket; stale locks are removed.
_wine_env_free_display() {
  local n pid
  for n in $(seq 90 199); do
    if [[ -e /tmp/.X$n-lock ]]; then
      pid="$(tr -d ' ' < /tmp/.X$n-lock 2>/dev/null || true)"
      if [[ -n "$pid" ]] && kill -0 "$pid" 2>/dev/null; then continue; fi
      rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n" 2>/dev/null || continue
    fi
    [[ -e /tmp/.X11-unix/X$n ]] && continue
    echo "$n"
    return 0
  done
  return 1
}

_wine_env_start_xvfb() {
  local n tries
  for tries in 1 2 3; do
    n="$(_wine_env_free_display)" || { _wine_env_log "no free X display"; return 1; }
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp -noreset \
      >"$VELMORA_RUN_DIR/xvfb.log" 2>&1 &
    _wine_env_xvfb_pid=$!
    local i
    for i in $(seq 1 100); do
      # The display is ours once our server holds its lock: two runs starting at once may
      # pick the same number, and the socket of the one that won is there for both.
      if [[ -S /tmp/.X11-unix/X$n ]] && kill -0 "$_wine_env_xvfb_pid" 2>/dev/null &&
         [[ "$(tr -d ' ' < /tmp/.X$n-lock 2>/dev/null)" == "$_wine_env_xvfb_pid" ]]; then
        export DISPLAY=":$n"
        _wine_env_log "Xvfb on $DISPLAY (pid $_wine_env_xvfb_pid)"
        return 0
      fi
      kill -0 "$_wine_env_xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    kill "$_wine_env_xvfb_pid" 2>/dev/null || true
    wait "$_wine_env_xvfb_pid" 2>/dev/null || true
    _wine_env_xvfb_pid=""
  done
  _wine_env_log "Xvfb did not start: $(tail -n 5 "$VELMORA_RUN_DIR/xvfb.log" 2>/dev/null)"
  return 1
}

_wine_env_write_asoundrc() {
  local writer="python3 '$_wine_env_dir/audio_sink.py' '$VELMORA_RUN_DIR/sink.raw'"
  # VELMORA_AUDIO_PACED=0: take the samples as fast as wine delivers them.
  [[ "${VELMORA_AUDIO_PACED:-1}" == 0 ]] && writer="cat >>'$VELMORA_RUN_DIR/sink.raw'"
  cat > "$HOME/.asoundrc" <<ASOUND
pcm.!default {
  type plug
  slave {
    pcm "velmora_sink"
    format S16_LE
    rate 44100
    channels 2
  }
}
pcm.velmora_sink {
  type file
  slave.pcm "null"
  file "|$writer"
  format "raw"
}
ctl.!default {
  type hw
  card 0
}
ASOUND
}

wine_env_start() {
  VELMORA_RUN_DIR="$(mktemp -d "${TMPDIR:-/tmp}/velmora-run.XXXXXX")"
  export VELMORA_RUN_DIR
  _wine_env_started=1
  trap wine_env_stop EXIT

  export HOME="$VELMORA_RUN_DIR/home"
  mkdir -p "$HOME"
  export XDG_RUNTIME_DIR="$VELMORA_RUN_DIR/xdg"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  export WINEPREFIX="$VELMORA_RUN_DIR/prefix"
  export WINEARCH=win64
  export WINEDEBUG="${WINEDEBUG:--all}"
  # Without the preloader the loader's heap lands anywhere in the gigabyte above it; about one
  # start in eight thousand it covers the page wine maps at 0x7ffe0000, and that program ends
  # before it runs (CreateProcess: error 1359). The preloader reserves the range first.
  [[ -e "$(dirname "$(readlink -f "$WINE")")/wine64-preloader" ]] ||
    _wine_env_log "warning: no wine64-preloader beside $WINE; a program start fails now and then"
  # No Mono or Gecko installer dialog may block the unattended run.
  export WINEDLLOVERRIDES="mscoree,mshtml="
  : > "$VELMORA_RUN_DIR/sink.raw"
  export VELMORA_AUDIO_SINK
  VELMORA_AUDIO_SINK="$(to_windows_path "$VELMORA_RUN_DIR/sink.raw")"
  _wine_env_write_asoundrc

  if [[ -z "${DISPLAY:-}" || "${VELMORA_FORCE_XVFB:-0}" == 1 ]]; then
    _wine_env_start_xvfb || return 1
  fi

  _wine_env_log "creating the wine prefix"
  "$WINE" wineboot -i >"$VELMORA_RUN_DIR/wineboot.log" 2>&1 || {
    _wine_env_log "wineboot failed: $(tail -n 5 "$VELMORA_RUN_DIR/wineboot.log")"; return 1; }
  "$WINESERVER" -w
  # One server for the whole run: programs start quicker and share the registry state.
  "$WINESERVER" -p
  "$WINE" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f \
    >/dev/null 2>&1 || _wine_env_log "could not turn the crash dialog off"
  _wine_env_log "ready: WINEPREFIX=$WINEPREFIX"
}

wine_env_stop() {
  [[ -n "$_wine_env_started" ]] || return 0
  _wine_env_started=""
  if [[ -n "${WINEPREFIX:-}" && -d "$WINEPREFIX" ]]; then
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
  fi
  if [[ -n "$_wine_env_xvfb_pid" ]]; then
    kill "$_wine_env_xvfb_pid" 2>/dev/null || true
    wait "$_wine_env_xvfb_pid" 2>/dev/null || true
    _wine_env_xvfb_pid=""
  fi
  if [[ "${VELMORA_KEEP_RUN:-0}" != 1 && -n "${VELMORA_RUN_DIR:-}" ]]; then
    rm -rf "$VELMORA_RUN_DIR"
  fi
}
