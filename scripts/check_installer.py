#!/usr/bin/env python3
"""Checks a release made by make_installer.sh against its program folder: the installer
holds every file of the folder (and its uninstaller), the uninstaller removes only those
files (never the playlist, never a whole folder), and info.ini names the installer's
version and checksum. Lists the installer with 7z (Debian package p7zip-full).
Usage: check_installer.py PROGRAM_FOLDER RELEASE_FOLDER. Exits 1 naming each problem."""
import configparser
import glob
import hashlib
import os
import subprocess
import sys


def archive_names(installer):
    out = subprocess.run(["7z", "l", "-slt", installer], check=True, capture_output=True,
                         text=True).stdout
    names = set()
    for line in out.splitlines():
        if line.startswith("Path = ") and not line.endswith(installer):
            names.add(line[len("Path = "):].replace("\\", "/"))
    return names


def main(dist, release):
    problems = []
    installers = glob.glob(os.path.join(release, "velmora-*-setup.exe"))
    if len(installers) != 1:
        return [f"expected one installer in {release}, found {len(installers)}"]
    installer = installers[0]
    wanted = set()
    for where, _, files in os.walk(dist):
        for name in files:
            wanted.add(os.path.relpath(os.path.join(where, name), dist).replace(os.sep, "/"))
    names = archive_names(installer)
    for missing in sorted(wanted - names):
        problems.append(f"installer lacks {missing}")
    if "uninstall.exe" not in names:
        problems.append("installer writes no uninstall.exe")

    with open(os.path.join(release, "nsis", "files_uninstall.nsh")) as f:
        removal = f.read()
    for line in removal.splitlines():
        if "/r" in line.split() or "pl.m3u" in line.lower():
            problems.append(f"uninstaller goes too far: {line}")
    removed = {line.split('"')[1].replace("$INSTDIR\\", "").replace("\\", "/")
               for line in removal.splitlines() if line.startswith("Delete ")}
    if removed != wanted:
        problems.append(f"uninstaller removes {sorted(removed ^ wanted)} unlike the install")

    info = configparser.ConfigParser()
    info.read(os.path.join(release, "info.ini"))
    with open(installer, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    if info.get("Main", "sha256", fallback="") != digest:
        problems.append("info.ini's sha256 is not the installer's")
    version = info.get("Main", "version", fallback="")
    if not version or f"velmora-{version}-setup.exe" != os.path.basename(installer):
        problems.append(f"info.ini's version {version!r} does not name the installer")
    if not info.get("Main", "url", fallback="").endswith(os.path.basename(installer)):
        problems.append("info.ini's url does not name the installer")
    return problems


if __name__ == "__main__":
    found = main(sys.argv[1], sys.argv[2])
    for p in found:
        print(f"installer: {p}")
    if not found:
        print("installer: every file of the program folder, info.ini matches")
    sys.exit(1 if found else 0)
