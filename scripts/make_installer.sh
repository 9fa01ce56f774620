#!/usr/bin/env bash
# Builds the release from the i686 program folder: the installer and its update
# information, the two files to upload.
#   build/release/velmora-<version>-setup.exe
#   build/release/info.ini   ([Main] version, url, sha256 of the installer)
# Usage: scripts/make_installer.sh [PROGRAM_FOLDER] [OUTPUT_FOLDER]
# The url in info.ini is VELMORA_RELEASE_URL (default: a placeholder) + the installer's name.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
DIST="$(cd "${1:-$ROOT/build/win32/dist}" && pwd)"
OUT="${2:-$ROOT/build/release}"
BASE_URL="${VELMORA_RELEASE_URL:-https://velmora.org/update}"
command -v makensis >/dev/null || { echo "[installer] makensis missing (Debian package nsis)" >&2; exit 1; }

# The version every run of the player stores as its own.
VERSION="$(sed -n 's/.*kSettingsVersion\[\] = "\(.*\)";.*/\1/p' "$ROOT/app/settings.h")"
[[ -n "$VERSION" ]] || { echo "[installer] no version in app/settings.h" >&2; exit 1; }
mkdir -p "$OUT"
NAME="velmora-$VERSION-setup.exe"
WORK="$OUT/nsis"
rm -rf "$WORK"
mkdir -p "$WORK"

# Every file of the program folder, and the lines that remove exactly those again.
python3 - "$DIST" "$WORK" <<'PY'
import os, sys
dist, work = sys.argv[1], sys.argv[2]
install, remove, folders = [], [], []
for where, dirs, files in os.walk(dist):
    dirs.sort()
    rel = os.path.relpath(where, dist)
    win = "" if rel == "." else "\\" + rel.replace("/", "\\")
    if rel != ".":
        folders.append(win)
    if not files:
        continue
    install.append(f'SetOutPath "$INSTDIR{win}"')
    for name in sorted(files):
        install.append(f'File "{os.path.join(where, name)}"')
        remove.append(f'Delete "$INSTDIR{win}\\{name}"')
install.append('SetOutPath "$INSTDIR"')
# Deepest first, and only when empty: what the user added keeps its folder.
for win in sorted(folders, key=lambda f: -f.count("\\")):
    remove.append(f'RMDir "$INSTDIR{win}"')
with open(os.path.join(work, "files.nsh"), "w") as f:
    f.write("\n".join(install) + "\n")
with open(os.path.join(work, "files_uninstall.nsh"), "w") as f:
    f.write("\n".join(remove) + "\n")
PY

makensis -V2 -DVERSION="$VERSION" -DDIST="$DIST" -DOUTFILE="$OUT/$NAME" \
  -DFILES="$WORK/files.nsh" -DFILES_UNINSTALL="$WORK/files_uninstall.nsh" \
  "$ROOT/scripts/installer/velmora.nsi"

SHA="$(sha256sum "$OUT/$NAME" | cut -d' ' -f1)"
printf '[Main]\r\nversion=%s\r\nurl=%s/%s\r\nsha256=%s\r\n' "$VERSION" "$BASE_URL" "$NAME" "$SHA" \
  > "$OUT/info.ini"
echo "[installer] $OUT/$NAME"
echo "[installer] $OUT/info.ini"
