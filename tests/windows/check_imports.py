#!/usr/bin/python3
"""Checks that a built executable needs no DLL beyond those every Windows ships, so it
runs when copied alone to another machine.

    check_imports.py <exe>
"""

import sys

import pefile

SYSTEM_DLLS = {"kernel32.dll", "shell32.dll", "msvcrt.dll", "user32.dll", "advapi32.dll"}
# The universal C runtime's API sets, present on every Windows 10 and later.
SYSTEM_PREFIXES = ("api-ms-win-crt-",)


def main():
    path = sys.argv[1]
    pe = pefile.PE(path)
    names = [entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    foreign = [name for name in names
               if name not in SYSTEM_DLLS and not name.startswith(SYSTEM_PREFIXES)]
    print("%s imports %s" % (path, ", ".join(names) or "nothing"))
    if not names:
        return 1  # every Windows program imports something: the table was not read
    for name in foreign:
        print("not a system DLL: %s" % name)
    return 1 if foreign else 0


if __name__ == "__main__":
    sys.exit(main())
