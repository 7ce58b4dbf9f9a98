#!/usr/bin/python3
"""Runs the damage tests' images through jrnlpeek and two other USN journal readers, The
Sleuth Kit's usnjls and libfsntfs's fsntfsinfo -U, and prints how each run ended as a
Markdown table. A comparison to read, not a test: it is not part of the suite.

    compare_peers.py JRNLPEEK MKJOURNAL WORK_DIR

The other tools are told where the volume starts in a whole-disk image (they do not
read partition tables); jrnlpeek finds it itself.
"""

import os
import shutil
import subprocess
import sys

import damage_cases
from harness import Images
from ntfs_map import journal_map, volume_offset

TIMEOUT_SECONDS = 20
OUTCOMES = ("journal read (status 0)", "of which the image was cut short", "error (other status)",
            "crash (signal)", "hang (no exit in %d s)" % TIMEOUT_SECONDS)
READ, CUT_SHORT_READ, ERROR, CRASH, HANG = range(len(OUTCOMES))


def tools(jrnlpeek, offset):
    return [
        ("jrnlpeek", lambda path: [jrnlpeek, path]),
        ("usnjls", lambda path: ["usnjls", "-f", "ntfs", "-o", str(offset // 512), path]),
        ("fsntfsinfo -U", lambda path: ["fsntfsinfo", "-U", "-o", str(offset), path]),
    ]


def outcome(command):
    try:
        done = subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                              timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        return HANG
    if done.returncode < 0:
        return CRASH
    return READ if done.returncode == 0 else ERROR


def damaged(made, work):
    """(fixture, case, path, cut short) of each damaged image: the sweep's, then the
    targeted cases of the damage tests."""
    for fixture in damage_cases.SWEPT:
        image = made.journal(damage_cases.FIXTURES[fixture])
        for name, path, cut_short in damage_cases.damaged_images(image, work):
            yield fixture, name, path, cut_short
    path = os.path.join(work, "targeted.img")
    for name, fixture, damage, _, _ in damage_cases.TARGETED:
        image = made.journal(damage_cases.FIXTURES[fixture])
        shutil.copyfile(image, path)
        damage(path, journal_map(image)[0])
        yield fixture, name, path, False


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    jrnlpeek, mkjournal, work = sys.argv[1:]
    os.makedirs(work, exist_ok=True)
    made = Images(mkjournal, work)
    counts = {}
    notes = []
    images = 0
    for fixture, name, path, cut_short in damaged(made, work):
        images += 1
        with open(made.journal(damage_cases.FIXTURES[fixture]), "rb") as f:
            offset = volume_offset(f.read(1 << 21))
        for tool, command in tools(jrnlpeek, offset):
            result = outcome(command(path))
            row = counts.setdefault(tool, [0] * len(OUTCOMES))
            row[result] += 1
            if result == READ and cut_short:
                row[CUT_SHORT_READ] += 1
            if result in (CRASH, HANG):
                notes.append("%s: %s, %s: %s" % (tool, fixture, name, OUTCOMES[result]))
    print("%d damaged images (%s, and the targeted cases)\n"
          % (images, ", ".join(damage_cases.SWEPT)))
    print("| tool | " + " | ".join(OUTCOMES) + " |")
    print("|---" * (len(OUTCOMES) + 1) + "|")
    for tool, row in counts.items():
        print("| %s | %s |" % (tool, " | ".join(str(n) for n in row)))
    if notes:
        print("\n" + "\n".join(notes))


if __name__ == "__main__":
    main()
