#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test Velmora, then cross-builds
# the third-party libraries (scripts/build_deps.sh). Safe to run again: installed packages
# and built libraries are left alone. Needs root when something is missing.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

PACKAGES=(
  # native build and unit tests; ccache keeps compiled objects across builds and clones
  cmake ninja-build make g++ libgtest-dev googletest python3 file ccache
  # fuzzing (clang with libFuzzer and the sanitizer runtimes)
  clang libclang-rt-14-dev
  # Windows cross compilers (posix thread model) and resource tools
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  # running the player and the end-to-end suite; without the preloader wine's own heap may
  # land where wine must map a page at a fixed address, and that start fails (error 1359)
  wine64 wine64-preloader xvfb xauth xdotool imagemagick
  # a face with CJK glyphs, for names in those scripts (the player falls back to it)
  fonts-wqy-microhei
  # source packages of the third-party libraries
  dpkg-dev xz-utils bzip2
  # demo track and test media
  lame twolame sox flac vorbis-tools opus-tools
  # the release installer and its listing
  nsis p7zip-full
)

missing=()
for p in "${PACKAGES[@]}"; do
  status="$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)"
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if [[ ${#missing[@]} -gt 0 ]]; then
  echo "[setup] installing: ${missing[*]}"
  if [[ $EUID -ne 0 ]]; then
    echo "[setup] installing packages needs root" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
else
  echo "[setup] all packages present"
fi

bash "$ROOT/scripts/build_deps.sh"
