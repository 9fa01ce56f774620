#!/usr/bin/env python3
"""Checks that the program and its shipped libraries start on older Windows versions: none
may import from kernel32 a function that those versions lack (such functions are looked up
at run time instead). Writes a JUnit report with one case per image.

Usage: check_imports.py REPORT.xml IMAGE...
"""
import os
import re
import subprocess
import sys
from xml.sax.saxutils import escape, quoteattr

# kernel32 functions missing from Windows XP and from Vista/7 without update KB2533623.
# (GetTickCount64, imported by the threads runtime of the toolchain, exists from Vista on.)
LATE_KERNEL32 = {
    "SetDefaultDllDirectories", "AddDllDirectory", "RemoveDllDirectory",
    "SetThreadErrorMode", "GetThreadErrorMode",
}
OBJDUMP = os.environ.get("VELMORA_OBJDUMP", "x86_64-w64-mingw32-objdump")


def kernel32_imports(image):
    text = subprocess.run([OBJDUMP, "-p", image], check=True, capture_output=True, text=True).stdout
    names, dll = [], None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name:\s*(\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        m = re.match(r"\t[0-9a-fA-F]+\s+\d+\s+(\S+)\s*$", line)
        if m and dll == "kernel32.dll":
            names.append(m.group(1))
    return names


def main():
    report, images = sys.argv[1], sys.argv[2:]
    cases, failed = [], 0
    for image in images:
        name = os.path.relpath(image)
        try:
            imports = kernel32_imports(image)
            problem = None if imports else "no kernel32 imports found (not a PE image?)"
            late = sorted(set(imports) & LATE_KERNEL32)
            if late:
                problem = "imports statically from kernel32: " + ", ".join(late)
        except (OSError, subprocess.CalledProcessError) as e:
            problem = f"cannot read the import table: {e}"
        if problem:
            failed += 1
            print(f"[imports] FAILED {name}: {problem}", file=sys.stderr)
            cases.append(f'  <testcase classname="Imports" name={quoteattr(name)}>'
                         f'<failure message={quoteattr(problem)}>{escape(problem)}</failure></testcase>')
        else:
            print(f"[imports] {name}: ok")
            cases.append(f'  <testcase classname="Imports" name={quoteattr(name)}/>')
    with open(report, "w") as f:
        f.write(f'<?xml version="1.0"?>\n<testsuite name="Imports" tests="{len(cases)}" '
                f'failures="{failed}">\n' + "\n".join(cases) + "\n</testsuite>\n")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
