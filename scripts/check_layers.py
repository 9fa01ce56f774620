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
Only the entry point includes the application object (app/app_win.h), and no header
declares a free function that only a folder above its own defines (a dependency the
include graph cannot see: the linker resolves it). Exits 1 and names each offender;
KNOWN lists the upward includes that are still to go, so that no new one comes in.
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

# The application object: the entry point makes it, its own file defines it.
APP_HEADER = "app/app_win.h"
APP_HEADER_USERS = {"app/main_win.cpp", "app/app_win.cpp"}

COMMENT = re.compile(r'//[^\n]*|/\*.*?\*/', re.S)
DIRECTIVE = re.compile(r'^\s*#(?:[^\n]*\\\n)*[^\n]*', re.M)
STRING = re.compile(r'"(?:\\.|[^"\\\n])*"')
# A free function's declaration, the statement text up to its ';'.
DECLARATION = re.compile(r'^(?!using\b|typedef\b|friend\b|return\b|static_assert\b|#)'
                         r'[\w:<>,\s\*&]*?[\s\*&](\w+)\s*\((?:[^()]|\([^()]*\))*\)'
                         r'\s*(?:noexcept\s*)?$', re.S)
# A free function's definition in a source file: unqualified name, body on that line or the next.
DEFINITION = re.compile(r'^(?!static\b|return\b|using\b|namespace\b|#)[A-Za-z_][\w:<>,\*& ]*?'
                        r'[\s\*&](\w+)\s*\([^;{}]*\)\s*(?:noexcept\s*)?\{', re.M)


def code_of(text):
    return DIRECTIVE.sub("", STRING.sub('""', COMMENT.sub(" ", text)))


def namespace_declarations(text):
    """Names of the free functions a header declares at namespace scope."""
    names, stack, statement = set(), [], ""
    for ch in code_of(text):
        if ch == "{":
            head = statement.strip()
            stack.append("ns" if re.match(r'^(?:inline\s+)?namespace\b|^extern\s+""$', head)
                         else "other")
            statement = ""
        elif ch == "}":
            if stack:
                stack.pop()
            statement = ""
        elif ch == ";":
            if all(kind == "ns" for kind in stack):
                m = DECLARATION.match(" ".join(statement.split()))
                if m and "=" not in m.group(0) and "(" not in m.group(0)[:m.start(1) - m.start(0)]:
                    names.add(m.group(1))
            statement = ""
        else:
            statement += ch
    return names


def sources(root):
    for folder in LAYER:
        for where, _, files in os.walk(os.path.join(root, folder)):
            for name in files:
                if name.endswith((".cpp", ".h")):
                    path = os.path.join(where, name)
                    rel = os.path.relpath(path, root).replace(os.sep, "/")
                    with open(path, errors="ignore") as f:
                        yield folder, rel, f.read()


def upward_declarations(root):
    declared, defined = [], {}
    for folder, rel, text in sources(root):
        if rel.endswith(".h"):
            for name in namespace_declarations(text):
                declared.append((rel, folder, name))
        else:
            for name in DEFINITION.findall(code_of(text)):
                defined.setdefault(name, set()).add(folder)
    problems = []
    for rel, folder, name in sorted(declared):
        where = defined.get(name, set())
        if any(LAYER[f] <= LAYER[folder] for f in where):
            continue
        for f in sorted(where):
            problems.append(f"{rel}: declares {name}(), defined in {f}/ above {folder}/")
    return problems


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
                    if target == APP_HEADER and rel not in APP_HEADER_USERS:
                        problems.append(f"{rel}: includes {APP_HEADER}, the entry point's alone")
                    top = target.split("/")[0]
                    if portable and (target.lower() == "windows.h" or "_win." in target):
                        problems.append(f"{rel}: portable file includes {target}")
                    if top in LAYER and top != folder and LAYER[top] >= LAYER[folder]:
                        if (rel, target) not in KNOWN:
                            problems.append(f"{rel}: includes {target}, a folder not below {folder}/")
    problems += upward_declarations(root)
    for p in problems:
        print(f"layering: {p}")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..")))
