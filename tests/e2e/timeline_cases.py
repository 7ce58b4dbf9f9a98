#!/usr/bin/python3
"""End-to-end cases of the timeline formats (--csv, --json, --body) on NTFS images made by
mkjournal: every record's fields read back with Python's own csv and json readers and
The Sleuth Kit's mactime, against what the description put on the disk.

    timeline_cases.py JRNLPEEK MKJOURNAL WORK_DIR
"""

import csv
import datetime
import io
import json
import os
import re
import subprocess
import sys

from harness import Results, fresh_images
from usn_decode import REASONS as EVENT_LINE_REASONS

ROOT = 0x0005000000000005
FILE = 0x0005000000000040
OTHER = 0x0003000000000041

# The names of the flags as Windows documents them, written out apart from the program's
# tables: the event line's reasons and the three it leaves out.
REASONS = sorted(EVENT_LINE_REASONS + [
    (0x00400000, "TRANSACTED_CHANGE"), (0x00800000, "INTEGRITY_CHANGE"),
    (0x01000000, "DESIRED_STORAGE_CLASS_CHANGE")])
ATTRIBUTES = [
    (0x1, "READONLY"), (0x2, "HIDDEN"), (0x4, "SYSTEM"), (0x10, "DIRECTORY"), (0x20, "ARCHIVE"),
    (0x40, "DEVICE"), (0x80, "NORMAL"), (0x100, "TEMPORARY"), (0x200, "SPARSE_FILE"),
    (0x400, "REPARSE_POINT"), (0x800, "COMPRESSED"), (0x1000, "OFFLINE"),
    (0x2000, "NOT_CONTENT_INDEXED"), (0x4000, "ENCRYPTED"), (0x8000, "INTEGRITY_STREAM"),
    (0x10000, "VIRTUAL"), (0x20000, "NO_SCRUB_DATA"), (0x40000, "RECALL_ON_OPEN"),
    (0x80000, "PINNED"), (0x100000, "UNPINNED"), (0x400000, "RECALL_ON_DATA_ACCESS"),
]

COLUMNS = ["Usn", "TimeStamp", "Name", "ParentPath", "Reason", "FileAttributes", "FileEntry",
           "FileSequence", "ParentEntry", "ParentSequence", "FileReferenceNumber", "ParentFileReferenceNumber",
           "SourceInfo", "SecurityId", "MajorVersion", "MinorVersion", "RecordLength"]

# mkjournal stamps its records a millisecond apart from this FILETIME.
FIRST_TIMESTAMP = 0x01d6627ebc0bd708
TIMESTAMP_STEP = 10000


def flag_bits(text, table):
    """The bits of "NAME|NAME|0x...", each name looked up in the table."""
    bits = 0
    for part in filter(None, text.split("|")):
        bits |= int(part, 16) if part.startswith("0x") else dict((n, b) for b, n in table)[part]
    return bits


def units_text(units):
    """The name as UTF-16 units decode, each unpaired surrogate as U+FFFD."""
    out, i = [], 0
    while i < len(units):
        u = units[i]
        if 0xD800 <= u < 0xDC00 and i + 1 < len(units) and 0xDC00 <= units[i + 1] < 0xE000:
            out.append(chr(0x10000 + ((u - 0xD800) << 10) + units[i + 1] - 0xDC00))
            i += 2
            continue
        out.append("\ufffd" if 0xD800 <= u < 0xE000 else chr(u))
        i += 1
    return "".join(out)


def iso_time(filetime):
    seconds, ticks = divmod(filetime, 10 ** 7)
    when = datetime.datetime(1601, 1, 1) + datetime.timedelta(seconds=seconds)
    return when.strftime("%Y-%m-%dT%H:%M:%S") + ".%07dZ" % ticks


# (version, reason bits, frn, parent, attributes, name as UTF-16 units)
NAMES = [
    [ord(c) for c in "notes.txt"],
    [ord(c) for c in "a,b.txt"],
    [ord(c) for c in 'say "hi"'],
    [ord(c) for c in "line\nbreak\r\nand CR"],
    [ord(c) for c in "tab\tbell\x07del\x7f"],
    [ord(c) for c in "bar|back\\slash"],
    [0x63, 0x61, 0x66, 0xE9, 0x4E2D, 0xD83D, 0xDE00],
    [0xD800, 0x78, 0xDC00, 0xDBFF, 0xDBFF, 0xDFFF, 0xD83D],
    [0x61, 0, 0x62],
    [],
    [ord("n")] * 255,
    [ord('"')] * 255,
    [1] * 255,
    [0xDC00] * 255,
]
RECORDS = []
for index, units in enumerate(NAMES):
    version = 3 if index % 3 == 1 else 2
    reason = [0x80000100, 0xFFFFFFFF, 0, 0x00400008, 0x2000][index % 5]
    attributes = [0x20, 0x10, 0xFFFFFFFF, 0][index % 4]
    frn = OTHER if index == 4 else FILE
    RECORDS.append((version, reason, frn, ROOT + index, attributes, units))


def description():
    lines = []
    for version, reason, frn, parent, attributes, units in RECORDS:
        name = '"' + "".join("\\u%04x" % u for u in units) + '"'
        lines.append("record v%d 0x%x frn=0x%x parent=0x%x name=%s attributes=0x%x" % (
            version, reason, frn, parent, name, attributes))
    return "\n".join(lines)


def expected_fields(target=0):
    """What each selected record's fields must read back as, with the program's names."""
    rows = []
    for n, (version, reason, frn, parent, attributes, units) in enumerate(RECORDS):
        if target and frn != target:
            continue
        rows.append({
            "TimeStamp": iso_time(FIRST_TIMESTAMP + n * TIMESTAMP_STEP),
            "Name": units_text(units),
            "ParentPath": "",
            "Reason": reason,
            "FileAttributes": attributes,
            "FileEntry": frn & 0xFFFFFFFFFFFF, "FileSequence": frn >> 48,
            "ParentEntry": parent & 0xFFFFFFFFFFFF, "ParentSequence": parent >> 48,
            "FileReferenceNumber": "0x%0*x" % (32 if version == 3 else 16, frn),
            "ParentFileReferenceNumber": "0x%0*x" % (32 if version == 3 else 16, parent),
            "SourceInfo": 0, "SecurityId": 0, "MajorVersion": version, "MinorVersion": 0,
            "RecordLength": (60 + 16 * (version == 3) + 2 * len(units) + 7) // 8 * 8,
        })
    return rows


def comparable(row):
    """A row read back from CSV or JSON, with its flags as bits and its numbers as ints."""
    out = dict(row)
    out["Reason"] = flag_bits(row["Reason"], REASONS)
    out["FileAttributes"] = flag_bits(row["FileAttributes"], ATTRIBUTES)
    out["SourceInfo"] = int(row["SourceInfo"] or "0", 16)
    for key in ("Usn", "FileEntry", "FileSequence", "ParentEntry", "ParentSequence",
                "SecurityId", "MajorVersion", "MinorVersion", "RecordLength"):
        out[key] = int(row[key])
    return out


def check_usns(rows):
    """Each Usn is the record's offset in $J: 8-aligned, increasing, never across a page."""
    usns = [row.pop("Usn") for row in rows]
    for usn, next_usn, row in zip(usns, usns[1:], rows):
        if usn % 8 or next_usn < usn + row["RecordLength"]:
            return "Usn %d then %d for a record of %d bytes" % (usn, next_usn, row["RecordLength"])
        if usn // 4096 != (usn + row["RecordLength"] - 1) // 4096:
            return "record at Usn %d crosses a page" % usn
    return None


def read_csv(data):
    text = data.decode("utf-8")
    quoted = False
    for i, c in enumerate(text):
        quoted ^= c == '"'
        if c == "\n" and not quoted and text[i - 1] != "\r":
            return None, "a row ends without CR LF at byte %d" % i
    rows = list(csv.reader(io.StringIO(text, newline=""), strict=True))
    if rows[0] != COLUMNS:
        return None, "header %r" % rows[0]
    for row in rows[1:]:
        if len(row) != len(COLUMNS):
            return None, "a row of %d columns: %r" % (len(row), row)
    return [comparable(dict(zip(COLUMNS, row))) for row in rows[1:]], None


def read_json(data):
    objects = []
    for text in data.decode("utf-8").split("\n")[:-1]:
        value = json.loads(text)
        if list(value) != COLUMNS:
            return None, "keys %r" % list(value)
        if any(isinstance(value[k], str) for k in ("Usn", "FileEntry", "SecurityId")):
            return None, "numbers written as strings: %r" % text
        objects.append(comparable({k: str(v) if isinstance(v, int) else v
                                   for k, v in value.items()}))
    return objects, None


def unescape_body(text):
    return re.sub(r"\\(\\|x[0-9a-f]{2})",
                  lambda m: "\\" if m.group(1) == "\\" else chr(int(m.group(1)[1:], 16)), text)


def read_body(data):
    rows = []
    for text in data.decode("utf-8").split("\n")[:-1]:
        fields = text.split("|")
        if len(fields) != 11:
            return None, "a line of %d fields: %r" % (len(fields), text)
        md5, name, inode, mode, uid, gid, size, atime, mtime, ctime, crtime = fields
        match = re.fullmatch(r"(.*) \(([A-Za-z_ 0-9]*)\)", name, re.S)
        entry, sequence = inode.split("-")
        if not match or len({atime, mtime, ctime, crtime}) != 1 or (md5, uid, gid, size) != (
                "0", "0", "0", "0"):
            return None, "line %r" % text
        seconds, ticks = atime.split(".")
        rows.append({"Name": unescape_body(match.group(1)),
                     "Reason": flag_bits(match.group(2).replace(" ", "|"), REASONS),
                     "FileEntry": int(entry), "FileSequence": int(sequence),
                     "directory": mode.startswith("d/d"),
                     "TimeStamp": (int(seconds) + 11644473600) * 10 ** 7 + int(ticks)})
    return rows, None


def body_expected(target=0):
    return [{"Name": row["Name"], "Reason": row["Reason"], "FileEntry": row["FileEntry"],
             "FileSequence": row["FileSequence"],
             "directory": bool(row["FileAttributes"] & 0x10),
             "TimeStamp": FIRST_TIMESTAMP + n * TIMESTAMP_STEP}
            for n, row in enumerate(expected_fields())
            if not target or RECORDS[n][2] == target]


def run(program, args):
    return subprocess.run([program] + args, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=300)


def check_format(results, name, program, args, reader, expected, usns=True):
    result = run(program, args)
    problem = None
    if result.returncode != 0 or result.stderr:
        problem = "status %d, stderr %r" % (result.returncode, result.stderr[:300])
    else:
        rows, problem = reader(result.stdout)
        if not problem and usns:
            problem = check_usns(rows)
        if not problem and rows != expected:
            problem = "\n".join("read   %r\nwanted %r" % (a, b)
                                for a, b in zip(rows, expected) if a != b) or (
                "%d records read, %d wanted" % (len(rows), len(expected)))
    if problem:
        results.fail(name, args, problem)
    else:
        results.passed += 1
    return result.stdout


def check_mactime(results, body, work):
    """mactime makes a timeline of the bodyfile: one line for each record."""
    path = os.path.join(work, "timeline.body")
    with open(path, "wb") as f:
        f.write(body)
    made = subprocess.run(["mactime", "-b", path, "-z", "UTC", "-d", "-y"],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    lines = made.stdout.decode("utf-8").splitlines()[1:]
    first = iso_time(FIRST_TIMESTAMP)[:19]
    wanted = len(RECORDS)
    if made.returncode or made.stderr or len(lines) != wanted or not lines[0].startswith(
            first + "Z,0,macb,"):
        results.fail("mactime -b on the bodyfile", [path], "status %d, %d lines for %d "
                     "records, stderr %r\n%s" % (made.returncode, len(lines), wanted,
                                                 made.stderr[:300], "\n".join(lines[:3])))
    else:
        results.passed += 1


def check_same_with_verbose(results, program, args):
    """--verbose adds only standard error: the output and the status stay the same."""
    plain, verbose = run(program, args), run(program, args + ["--verbose"])
    if (plain.stdout, plain.returncode) != (verbose.stdout, verbose.returncode):
        results.fail("--verbose changes nothing but standard error", args,
                     "status %d then %d; output %s" % (
                         plain.returncode, verbose.returncode,
                         "the same" if plain.stdout == verbose.stdout else "differs"))
    else:
        results.passed += 1


def check_messages_apart(results, program, work):
    """In a format, an error leaves standard output empty and goes to standard error."""
    zeros = os.path.join(work, "zeros.img")
    with open(zeros, "wb") as f:
        f.truncate(1 << 20)
    for option in ("--csv", "--json", "--body"):
        result = run(program, [option, zeros])
        if (result.stdout, result.stderr, result.returncode) != (
                b"", b"Error 1: unable to query USN journal.\n", 1):
            results.fail("error message on standard error", [option, zeros],
                         "stdout %r, stderr %r, status %d" % (
                             result.stdout, result.stderr, result.returncode))
        else:
            results.passed += 1


def main():
    program, mkjournal, work = sys.argv[1:4]
    images = fresh_images(mkjournal, work)
    results = Results()
    image = images.journal(description())

    # Every field but the paths, which tests/e2e/path_cases.py checks.
    for target in (0, OTHER):
        args = [image, "--no-paths"] + (["0x%016x" % target] if target else [])
        label = " (target 0x%016x)" % target if target else ""
        wanted = expected_fields(target)
        check_format(results, "CSV" + label, program, ["--csv"] + args, read_csv, wanted)
        check_format(results, "JSON Lines" + label, program, args + ["--json"], read_json, wanted)
        body = check_format(results, "bodyfile" + label, program, ["--body"] + args, read_body,
                            body_expected(target), usns=False)
    check_mactime(results, run(program, ["--body", image]).stdout, work)
    check_messages_apart(results, program, work)

    damaged = images.journal("\n".join([
        "record FILE_CREATE frn=0x0005000000000040 parent=0x0005000000000005 name=before",
        "raw 0xDE 0xAD 0xBE 0xEF 2 0 0 0", "pad",
        "record CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=after"]))
    for args in ([damaged], ["--csv", damaged], ["--json", damaged], [image, "--body"],
                 [os.path.join(work, "zeros.img")], ["--csv", os.path.join(work, "zeros.img")]):
        check_same_with_verbose(results, program, args)
    return results.finish()


if __name__ == "__main__":
    sys.exit(main())
