#!/usr/bin/env bash
# Starts the player under wine (on a private Xvfb) once per shipped design, and once with
# the generated classic test skin when the build has one (<build>/testskins), and saves a
# picture of the screen with the main window into build/screenshots/<design>.png, so a
# person can look at every design; the shipped design library's window is saved as
# build/screenshots/Pocket.png while it plays a file, and each page of the options window
# as build/screenshots/Options_<page>.png.
#
#   scripts/screenshots.sh [build folder]     (default: build-x86_64, then any build*/dist)
#
# Needs wine64, Xvfb and ImageMagick (import or xwd + convert).
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/.." && pwd)"
build="${1:-}"
if [[ -z "$build" ]]; then
  for b in "$root"/build-x86_64 "$root"/build*/; do
    if [[ -x "$b/dist/velmora.exe" || -f "$b/dist/velmora.exe" ]]; then build="$b"; break; fi
  done
fi
dist="$(cd "$build" && pwd)/dist"
[[ -f "$dist/velmora.exe" ]] || { echo "no velmora.exe in $dist" >&2; exit 1; }
out="$root/build/screenshots"
mkdir -p "$out"

export VELMORA_FORCE_XVFB=1
# shellcheck source=wine_env.sh
source "$here/wine_env.sh"
wine_env_start

shoot() {  # file
  if command -v import >/dev/null; then
    import -window root "$1.full.png"
  else
    xwd -root -silent | convert xwd:- "$1.full.png"
  fi
  # The screen is black around the window; keep the window and a small margin.
  convert "$1.full.png" -bordercolor black -border 1 -trim +repage -bordercolor '#202020' -border 8 "$1"
  rm -f "$1.full.png"
}

run_folder="$VELMORA_RUN_DIR/program"
designs=("$dist"/Design/*/)
classic="$(dirname "$dist")/testskins/Generated Classic"
[[ -d "$classic" ]] && designs+=("$classic/")
for design_dir in "${designs[@]}"; do
  design="$(basename "$design_dir")"
  rm -rf "$run_folder"
  cp -r "$dist" "$run_folder"
  [[ -d "$run_folder/Design/$design" ]] || cp -r "${design_dir%/}" "$run_folder/Design/"
  "$WINE" reg add 'HKCU\Software\velmora' /v design /t REG_SZ /d "$design" /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\velmora' /v Nag /t REG_DWORD /d 0 /f >/dev/null 2>&1
  "$WINE" reg add 'HKCU\Software\velmora' /v Randomdesign /t REG_DWORD /d 0 /f >/dev/null 2>&1
  (cd "$run_folder" && "$WINE" velmora.exe >/dev/null 2>&1 &)
  sleep "${VELMORA_SHOT_DELAY:-6}"
  shot="$out/${design// /_}.png"
  shoot "$shot"
  echo "saved $shot"
  "$WINE" taskkill /im velmora.exe /f >/dev/null 2>&1 || true
  sleep 1
done

# The shipped design library (Library\pocket.dll) draws its own window, chosen in the
# design chooser once the library scan has listed it: its end-to-end test applies it,
# plays a file and saves the window's picture while it plays.
e2e="$(cd "$build" && pwd)/e2e/velmora_e2e.exe"
if [[ -f "$e2e" ]]; then
  export VELMORA_DIST VELMORA_TESTPLUGINS VELMORA_SCREENSHOT_DIR
  VELMORA_DIST="$(to_windows_path "$dist")"
  VELMORA_TESTPLUGINS="$(to_windows_path "$(cd "$build" && pwd)/testplugins")"
  VELMORA_SCREENSHOT_DIR="$(to_windows_path "$out")"
  if "$WINE" "$e2e" --gtest_filter='DesignLibrary.ShippedPocketPlaysAFile' >/dev/null 2>&1 &&
     [[ -f "$out/Pocket.bmp" ]]; then
    convert "$out/Pocket.bmp" -bordercolor '#202020' -border 8 "$out/Pocket.png"
    rm -f "$out/Pocket.bmp"
    echo "saved $out/Pocket.png"
  else
    echo "no picture of the Pocket design library (its end-to-end test failed)" >&2
  fi
  # Every page of the options window.
  "$WINE" "$e2e" --gtest_filter='OptionsWindowTest.TreeListsEveryNodeAndEachSelectsItsPage' \
    >/dev/null 2>&1 || echo "the options window's test failed" >&2
  for bmp in "$out"/Options_*.bmp; do
    [[ -f "$bmp" ]] || continue
    convert "$bmp" -bordercolor '#202020' -border 8 "${bmp%.bmp}.png"
    rm -f "$bmp"
    echo "saved ${bmp%.bmp}.png"
  done
fi
