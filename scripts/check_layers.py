#!/usr/bin/env python3
"""The include graph of the subsystem folders runs one way.

Layers, lowest first (a folder may include folders of lower layers only):

    ui/                      widgets and the Win32 basics every window uses
    plugins/                 the input plug-in system
    playlist/                the playlist model and its windows
    design/                  designs and the design chooser
    vis/, options/           visualisation, the options window
    app/, tools/             the application: it builds the model and hands the windows
                             what they need; the command-line tools

and the portable core (files without _win in their name) never includes a Win32 file.
Exits 1 and names each offending include; KNOWN lists the upward includes that are still
to go (windows that take the application object), so that no new one comes in.
"""
import os
import re
import sys

LAYER = {"ui": 0, "plugins": 1, "playlist": 2, "design": 3, "vis": 4, "options": 4,
         "app": 5, "tools": 5}

# Windows that still receive the whole application object; each goes once it gets its
# collaborators by reference.
KNOWN = {
}

# Headers of the Win32 layer that predate the _win naming.
WIN32_HEADERS = {"ui/widgets.h", "design/velmora_design.h"}  # the second: the libraries' C header

INCLUDE = re.compile(r'^\s*#\s*include\s+[<"]([^>"]+)[>"]', re.M)


def main(root):
    problems = []
    for folder in LAYER:
        for where, _, files in os.walk(os.path.join(root, folder)):
            for name in files:
                if not name.endswith((".cpp", ".h")):
                    continue
                path = os.path.join(where, name)
                rel = os.path.relpath(path, root).replace(os.sep, "/")
                portable = "_win" not in name and rel not in WIN32_HEADERS
                with open(path, errors="ignore") as f:
                    text = f.read()
                for target in INCLUDE.findall(text):
                    top = target.split("/")[0]
                    if portable and (target.lower() == "windows.h" or "_win." in target):
                        problems.append(f"{rel}: portable file includes {target}")
                    if top in LAYER and top != folder and LAYER[top] >= LAYER[folder]:
                        if (rel, target) not in KNOWN:
                            problems.append(f"{rel}: includes {target}, a folder not below {folder}/")
    for p in problems:
        print(f"layering: {p}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")))
