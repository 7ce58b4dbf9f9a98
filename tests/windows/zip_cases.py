#!/usr/bin/python3
"""The Windows zip as a user gets it: built by CPack from this build, unpacked, and its
jrnlpeek.exe run under Wine from the unpacked folder.

    zip_cases.py BUILD_DIR WORK_DIR <emulator command...>
"""

import glob
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import report  # noqa: E402
import zipfile

# The usage screen, as every test expects it; Windows ends its lines with CR LF.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "usage_screen.txt"),
          encoding="ascii", newline="") as screen:
    USAGE = screen.read().replace("\n", "\r\n").encode("ascii")


def main():
    build, work = sys.argv[1:3]
    emulator = sys.argv[3:]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    made = subprocess.run(["cpack", "-G", "ZIP", "--config", os.path.join(build, "CPackConfig.cmake"),
                           "-B", os.path.join(work, "packages")],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    zips = glob.glob(os.path.join(work, "packages", "*.zip"))
    if made.returncode != 0 or len(zips) != 1:
        print(made.stdout.decode(errors="replace"))
        sys.exit("FAIL cpack made no zip")
    failures = []
    top = "jrnlpeek-1.0.0.2-win64"
    if os.path.basename(zips[0]) != top + ".zip":
        failures.append("zip named %s" % os.path.basename(zips[0]))
    with zipfile.ZipFile(zips[0]) as archive:
        names = set(archive.namelist())
        archive.extractall(work)
    for name in ["jrnlpeek.exe", "README.md", "LICENSE"]:
        if top + "/" + name not in names:
            failures.append("the zip holds no %s/%s (it holds %s)" % (top, name, sorted(names)))

    exe = os.path.join(work, top, "jrnlpeek.exe")
    if os.path.exists(exe):
        ran = subprocess.run(emulator + [exe], stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             timeout=300)
        if (ran.stdout, ran.returncode) != (USAGE, 1):
            failures.append("the unpacked jrnlpeek.exe wrote %r with status %d" % (
                ran.stdout[:200], ran.returncode))

    return report(failures)


if __name__ == "__main__":
    sys.exit(main())
