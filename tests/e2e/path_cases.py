#!/usr/bin/python3
"""Paths at the time of each record, end to end: volumes made by mkjournal in which
folders are created, renamed, moved and deleted and their MFT records reused by new
files, each record's expected ParentPath written in the table. The same journal is read
from the image, from its exported $J with its exported $MFT (both copied out by The
Sleuth Kit's icat), and from the exported $J alone.

    path_cases.py JRNLPEEK MKJOURNAL WORK_DIR
"""

import os
import subprocess
import sys

from harness import Images, Results
from sleuthkit import journal_stream, sleuthkit
from timeline_cases import read_body, read_csv

# (statement, the ParentPath of each record it writes)
HISTORY = [
    ("mkdir /Docs", ["\\", "\\"]),
    ("create /Docs/a.txt", ["\\Docs", "\\Docs"]),
    ("write /Docs/a.txt", ["\\Docs", "\\Docs"]),
    ("mkdir /Sub", ["\\", "\\"]),
    # Renamed and moved at once: the old name in the old folder, then the new in the new.
    ("rename /Docs /Sub/Documents", ["\\", "\\Sub", "\\Sub"]),
    ("create /Sub/Documents/b.txt", ["\\Sub\\Documents", "\\Sub\\Documents"]),
    ("rename /Sub/Documents/a.txt /Sub/Documents/c.txt", ["\\Sub\\Documents"] * 3),
    ("delete /Sub/Documents/c.txt", ["\\Sub\\Documents"]),
    ("delete /Sub/Documents/b.txt", ["\\Sub\\Documents"]),
    ("delete /Sub/Documents", ["\\Sub"]),
    # The folder's MFT record goes to a file: the folder's records above must keep their
    # paths, never take the newcomer's name.
    ("reuse", []),
    ("create /new.bin", ["\\", "\\"]),
    ("mkdir /Later", ["\\", "\\"]),
    ("create /Later/x.txt", ["\\Later", "\\Later"]),
    ("rename /Later /Sub/Later", ["\\", "\\Sub", "\\Sub"]),
    ("write /Sub/Later/x.txt", ["\\Sub\\Later", "\\Sub\\Later"]),
]


def run(program, args):
    return subprocess.run([program] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=300)


def check_paths(results, name, program, args, wanted):
    result = run(program, args)
    rows, problem = read_csv(result.stdout)
    if not problem:
        paths = [row["ParentPath"] for row in rows]
        problem = next(("record %d (%s): %r, expected %r" % (n, rows[n]["Name"], a, b)
                        for n, (a, b) in enumerate(zip(paths, wanted)) if a != b), None)
        if not problem and len(paths) != len(wanted):
            problem = "%d records, expected %d" % (len(paths), len(wanted))
    if problem or result.returncode or result.stderr:
        results.fail(name, args, problem or "status %d, stderr %r" % (
            result.returncode, result.stderr))
    else:
        results.passed += 1
    return result.stdout


def check_error(results, name, program, args, message):
    result = run(program, args)
    if (result.returncode, result.stdout, result.stderr) != (1, b"", message.encode()):
        results.fail(name, args, "status %d, stdout %r, stderr %r" % (
            result.returncode, result.stdout[:200], result.stderr))
    else:
        results.passed += 1


def main():
    program, mkjournal, work = sys.argv[1:4]
    os.makedirs(work, exist_ok=True)
    image = Images(mkjournal, work).journal("size 16M\n" + "\n".join(s for s, _ in HISTORY))
    wanted = [path for _, paths in HISTORY for path in paths]
    results = Results()

    from_image = check_paths(results, "image: the path of each record at its time", program,
                             ["--csv", image], wanted)

    # The bodyfile names each file by its whole path, "/"-separated.
    body, problem = read_body(run(program, ["--body", image]).stdout)
    names = [row["Name"] for row in body or []]
    expected_names = [(p.replace("\\", "/") + "/").replace("//", "/") + n for p, n in zip(
        wanted, [row["Name"] for row in read_csv(from_image)[0]])]
    if problem or names != expected_names:
        results.fail("bodyfile: whole paths", ["--body", image],
                     problem or "%r, expected %r" % (names[:6], expected_names[:6]))
    else:
        results.passed += 1

    # The same journal as collectors export it: $J and $MFT copied out by icat.
    j_file = os.path.join(work, "J.bin")
    mft_file = os.path.join(work, "MFT.bin")
    with open(j_file, "wb") as f:
        f.write(journal_stream(image))
    with open(mft_file, "wb") as f:
        f.write(sleuthkit("icat", image, "0"))
    exported = check_paths(results, "exported $J with its exported $MFT", program,
                           ["--csv", "--mft", mft_file, j_file], wanted)
    if exported != from_image:
        results.fail("exported files give what the image gives", ["--csv", j_file],
                     "the CSV differs from the image's")
    # Every folder here was made within the journal, so its records name them all.
    check_paths(results, "exported $J alone: the journal names its folders", program,
                ["--csv", j_file], wanted)

    # A damaged or cut-short $MFT still gives every record, with what paths it can; a
    # name it cannot give is marked, never made up.
    with open(mft_file, "rb") as f:
        mft = f.read()
    damaged = os.path.join(work, "damaged-MFT.bin")
    variants = [("cut short at %d bytes" % cut, mft[:cut]) for cut in (1024, 40 * 1024, len(mft) // 2)]
    for at in range(0, min(len(mft), 80 * 1024), 331):
        variants.append(("byte %d flipped" % at, mft[:at] + bytes([mft[at] ^ 0xFF]) + mft[at + 1:]))
    for name, data in variants:
        with open(damaged, "wb") as f:
            f.write(data)
        result = run(program, ["--csv", "--mft", damaged, j_file])
        if result.returncode == 1 and not result.stdout and \
                result.stderr == b"Error 1392: unable to read MFT.\n":
            results.passed += 1  # its first record damaged: no MFT at all
            continue
        rows, problem = read_csv(result.stdout) if result.stdout else ([], "no output")
        if problem or result.returncode or result.stderr or len(rows) != len(wanted):
            results.fail("$MFT " + name, ["--csv", "--mft", damaged, j_file],
                         problem or "status %d, %d rows, stderr %r" % (
                             result.returncode, len(rows), result.stderr[:200]))
        else:
            results.passed += 1

    # An --mft that is no MFT, or no file at all, is an error of its own.
    check_error(results, "--mft of a file that is no MFT", program,
                ["--csv", "--mft", j_file, j_file], "Error 1392: unable to read MFT.\n")
    told = run(program, ["--csv", "--verbose", "--mft", j_file, j_file])
    if told.returncode != 1 or b"not an MFT" not in told.stderr:
        results.fail("--verbose says why an --mft is refused", ["--verbose", "--mft", j_file],
                     "status %d, stderr %r" % (told.returncode, told.stderr))
    else:
        results.passed += 1
    check_error(results, "--mft of a missing file", program,
                ["--json", "--mft", os.path.join(work, "missing"), j_file],
                "Error 2: unable to read MFT.\n")
    return results.finish()


if __name__ == "__main__":
    sys.exit(main())
