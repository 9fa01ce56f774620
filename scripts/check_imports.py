#!/usr/bin/env python3
"""Checks that the program and its shipped libraries start on older Windows versions: none
may import from kernel32 a function that those versions lack (such functions are looked up
at run time instead). Nor may one import an 8-bit file-system call: names go to Windows in
UTF-16 (ui/wide_win.h), so that a name outside the active code page is never lost (the
8-bit names plug-ins take stay in their contract, not in these imports). Writes a JUnit
report with one case per image.

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
# Win32 calls that take or give a file name in the active code page.
NARROW_FILE_CALLS = {
    "CreateFileA", "GetFileAttributesA", "GetFileAttributesExA", "SetFileAttributesA",
    "FindFirstFileA", "FindFirstFileExA", "FindNextFileA", "DeleteFileA", "MoveFileA",
    "MoveFileExA", "CopyFileA", "CopyFileExA", "ReplaceFileA", "CreateDirectoryA",
    "CreateDirectoryExA", "RemoveDirectoryA", "GetFullPathNameA", "GetShortPathNameA",
    "GetLongPathNameA", "GetTempPathA", "GetTempFileNameA", "SearchPathA", "GetModuleFileNameA",
    "LoadLibraryA", "LoadLibraryExA", "SetDllDirectoryA", "GetCurrentDirectoryA",
    "SetCurrentDirectoryA", "GetSystemWindowsDirectoryA", "DragQueryFileA", "GetOpenFileNameA",
    "GetSaveFileNameA", "SHBrowseForFolderA", "SHGetPathFromIDListA", "SHGetFolderPathA",
    "SHGetSpecialFolderPathA", "ShellExecuteA", "ShellExecuteExA", "WinExec", "CreateProcessA",
    "GetPrivateProfileStringA", "WritePrivateProfileStringA", "GetCommandLineA",
}
OBJDUMP = os.environ.get("VELMORA_OBJDUMP", "x86_64-w64-mingw32-objdump")


def imports_of(image):
    """(dll, function) pairs of the image's import table, dll names in lower case."""
    text = subprocess.run([OBJDUMP, "-p", image], check=True, capture_output=True, text=True).stdout
    names, dll = [], None
    for line in text.splitlines():
        m = re.match(r"\s*DLL Name:\s*(\S+)", line)
        if m:
            dll = m.group(1).lower()
            continue
        m = re.match(r"\t[0-9a-fA-F]+\s+\d+\s+(\S+)\s*$", line)
        if m and dll:
            names.append((dll, m.group(1)))
    return names


def main():
    report, images = sys.argv[1], sys.argv[2:]
    cases, failed = [], 0
    for image in images:
        name = os.path.relpath(image)
        try:
            imports = imports_of(image)
            kernel32 = {name for dll, name in imports if dll == "kernel32.dll"}
            problem = None if kernel32 else "no kernel32 imports found (not a PE image?)"
            late = sorted(kernel32 & LATE_KERNEL32)
            narrow = sorted({name for _, name in imports} & NARROW_FILE_CALLS)
            if late:
                problem = "imports statically from kernel32: " + ", ".join(late)
            elif narrow:
                problem = "imports 8-bit file-system calls: " + ", ".join(narrow)
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
