#!/usr/bin/env bash
# Configures and builds the three builds of the tree with Ninja:
#   build/native   portable core, core_tests, benchmarks        (host compiler)
#   build/win64    x86_64-w64-mingw32: build/win64/dist/ program folder, test plug-ins,
#                  end-to-end suite build/win64/e2e/velmora_e2e.exe
#   build/win32    i686-w64-mingw32, the release target: build/win32/dist/, and from it
#                  build/release/ (the installer and its info.ini)
# Usage: scripts/build.sh [--only native|win64|win32]... [--skip-win32] [--clean]
# Builds use at most VELMORA_JOBS (default 2) parallel jobs.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
JOBS="${VELMORA_JOBS:-2}"
BUILD_TYPE="${VELMORA_BUILD_TYPE:-RelWithDebInfo}"
builds=()
skip_win32=0
clean=0
while [[ $# -gt 0 ]]; do
  case "$1" in
    --only) builds+=("$2"); shift 2 ;;
    --only=*) builds+=("${1#--only=}"); shift ;;
    --skip-win32) skip_win32=1; shift ;;
    --clean) clean=1; shift ;;
    -h|--help) sed -n '2,9p' "$0"; exit 0 ;;
    *) echo "build.sh: unknown option $1" >&2; exit 2 ;;
  esac
done
if [[ ${#builds[@]} -eq 0 ]]; then
  builds=(native win64)
  [[ $skip_win32 == 1 ]] || builds+=(win32)
fi

log() { echo "[build] $*"; }

# Compiled objects are shared through ccache where it is installed: paths are hashed
# relative to the clone and without the build folder, so a second clone on the machine
# (or a worktree) compiles only what differs.
if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR="$ROOT" CCACHE_NOHASHDIR=1
  export CCACHE_MAXSIZE="${CCACHE_MAXSIZE:-5G}"
fi

build_one() {
  local name="$1" dir="$ROOT/build/$1"
  local args=(-G Ninja -DCMAKE_BUILD_TYPE="$BUILD_TYPE")
  if command -v ccache >/dev/null; then
    args+=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
  fi
  case "$name" in
    native) ;;
    win64) args+=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-x86_64-w64-mingw32.cmake") ;;
    # The release target: its test and benchmark programs run from the x86_64 build.
    win32) args+=(-DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/toolchain-i686-w64-mingw32.cmake"
                  -DVELMORA_TEST_PROGRAMS=OFF) ;;
    *) echo "build.sh: unknown build $name" >&2; return 2 ;;
  esac
  [[ $clean == 1 ]] && rm -rf "$dir"
  if [[ ! -f "$dir/build.ninja" ]]; then
    log "$name: configuring"
    cmake -S "$ROOT" -B "$dir" "${args[@]}" >/dev/null
  fi
  log "$name: building"
  cmake --build "$dir" -j "$JOBS"
}

check_image() {
  local exe="$1" want="$2"
  [[ -f "$exe" ]] || { echo "[build] missing $exe" >&2; return 1; }
  if ! file -b "$exe" | grep -Eq "$want"; then
    echo "[build] $exe is not $want: $(file -b "$exe")" >&2
    return 1
  fi
  log "$exe: $(file -b "$exe")"
}

for b in "${builds[@]}"; do
  build_one "$b"
  case "$b" in
    win64) check_image "$ROOT/build/win64/dist/velmora.exe" '^PE32\+ executable .*x86-64' ;;
    win32)
      check_image "$ROOT/build/win32/dist/velmora.exe" '^PE32 executable .*Intel 80386'
      # The release: installer and info.ini in build/release (NSIS from Debian's nsis).
      if command -v makensis >/dev/null; then
        bash "$ROOT/scripts/make_installer.sh" "$ROOT/build/win32/dist" "$ROOT/build/release"
      else
        log "no makensis: the installer is not made"
      fi
      ;;
  esac
done
