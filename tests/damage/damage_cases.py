#!/usr/bin/python3
"""jrnlpeek on damaged NTFS images, a device that ends early, files that are no volume,
and standard output that cannot be written. Every run must end within seconds, by
itself, with journal lines or a clear error (status 1), never by a signal, and leave the
image's bytes as they were.

    damage_cases.py JRNLPEEK MKJOURNAL WORK_DIR

The images come from mkjournal; ntfs_map finds the structures on the path to the
journal, and each variant changes a few of their bytes or cuts the image short.
"""

import os
import random
import re
import shutil
import struct
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "e2e"))

from harness import Images  # noqa: E402
from ntfs_map import journal_map, u16, u64  # noqa: E402
from sleuthkit import journal_stream  # noqa: E402

# Only a guard against a hung run: a normal one takes milliseconds.
HANG_GUARD_SECONDS = 10


def repeat(count):
    return ("repeat %d record FILE_CREATE|CLOSE frn=0x0005000000000040 "
            "parent=0x0005000000000005 name=file{n}.txt\n" % count)


FIXTURES = {
    "plain": "size 1028K\n" + repeat(60),
    # 512-byte clusters and $J in 400 runs: an attribute list and extension records.
    "attribute list": "size 4M\ncluster-size 512\nfragment 400\n" + repeat(600) + "raw 0\npad\n" * 40,
    "whole disk": "size 1028K\npartition mbr\n" + repeat(60),
    # More than the reader's 1 MiB window of $J, and more output than a pipe holds.
    "many lines": repeat(16000),
}

SWEPT = ("plain", "attribute list", "whole disk")

EVENT_LINE = re.compile(rb"[A-Z_|]* 0x[0-9a-f]{16} [^\n]*")
BAD_RECORD = re.compile(rb"bad (record length \d+ < 64\.|FileNameLength \d+|RecordLength \d+|"
                        rb"FileNameOffset \d+)")
# The reader's codes: not NTFS, device read error, journal being deleted, no journal,
# damaged structure.
ERROR_LINE = re.compile(rb"Error (1|1117|1178|1179|1392): unable to "
                        rb"(query|read) USN journal\.")
POSITIONS_PER_REGION = 5


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


class Run:
    """One run of the program; `problems` says what was wrong with how it ended."""

    def __init__(self, command, image=None):
        before = read_bytes(image) if image else None
        self.problems = []
        try:
            done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                  timeout=HANG_GUARD_SECONDS)
        except subprocess.TimeoutExpired:
            self.problems.append("no exit within %d s (hung?)" % HANG_GUARD_SECONDS)
            self.status, self.stdout, self.stderr = None, b"", b""
            return
        self.status, self.stdout, self.stderr = done.returncode, done.stdout or b"", done.stderr
        if self.status < 0:
            self.problems.append("ended by signal %d" % -self.status)
        if image and read_bytes(image) != before:
            self.problems.append("the image's bytes changed")


def check_clean_end(run):
    """Journal lines and bad-record messages, then an error line exactly when status is 1."""
    problems = list(run.problems)
    if run.status is None or run.status < 0:
        return problems
    lines = run.stdout.split(b"\n")
    if lines[-1] != b"":
        problems.append("output does not end with a line break")
    lines = lines[:-1]
    failed = run.status == 1 and lines and ERROR_LINE.fullmatch(lines[-1])
    if run.status not in (0, 1) or (run.status == 1 and not failed):
        problems.append("status %d after %r" % (run.status, lines[-1:]))
    for text in lines[:-1] if failed else lines:
        if not (EVENT_LINE.fullmatch(text) or BAD_RECORD.fullmatch(text)):
            problems.append("unexpected line %r" % text[:200])
            break
    if run.stderr:
        problems.append("wrote to stderr: %r" % run.stderr[:500])
    return problems


def flipped_variants(regions):
    """(name, offset, value) changes: a few bytes of each region, the same every time."""
    for name, offset, length in regions:
        chooser = random.Random("%s %d" % (name, offset))
        positions = range(length) if length <= POSITIONS_PER_REGION else sorted(
            chooser.sample(range(length), POSITIONS_PER_REGION))
        for index, position in enumerate(positions):
            change = (0xFF, 0x80, 0x01)[index % 3]  # every bit, the sign bit, the lowest bit
            yield "%s +%d ^0x%02X" % (name, position, change), offset + position, change


def truncation_points(regions, size):
    points = {"empty": 0, "inside the boot sector": 100, "after the boot sector": 512,
              "one byte short": size - 1}
    for name, offset, length in regions:
        points.setdefault("inside " + name, offset + max(length // 2, 1))
    return points


def damaged_images(image, work):
    """Writes each damaged variant of `image` in turn over one file in `work` and yields
    (name, path, cut short): bytes changed in each structure, then the image cut short
    at each structure."""
    regions, _, _ = journal_map(image)
    original = read_bytes(image)
    damaged = os.path.join(work, "damaged.img")
    for name, offset, change in flipped_variants(regions):
        data = bytearray(original)
        data[offset] ^= change
        with open(damaged, "wb") as f:
            f.write(data)
        yield name, damaged, False
    for name, size in truncation_points(regions, len(original)).items():
        with open(damaged, "wb") as f:
            f.write(original[:size])
        yield "truncated " + name, damaged, size < len(original) - 1


def damage_sweep(jrnlpeek, image, work, fixture, failures):
    count = 0
    for name, damaged, cut_short in damaged_images(image, work):
        run = Run([jrnlpeek, damaged], damaged)
        problems = check_clean_end(run)
        if cut_short and run.status == 0:
            problems.append("a volume cut short read as whole")
        failures.extend("%s, %s: %s" % (fixture, name, problem) for problem in problems)
        count += 1
    return count


def poke(path, offset, data):
    with open(path, "r+b") as f:
        f.seek(offset)
        f.write(data)


def region(regions, name):
    return next((offset, length) for n, offset, length in regions if n == name)


def boot(offset, data):
    return lambda path, regions: poke(path, region(regions, "boot sector")[0] + offset, data)


def in_region(name, offset, data):
    return lambda path, regions: poke(path, region(regions, name)[0] + offset, data)


def clear_record_flags(record, flags):
    def damage(path, regions):
        at = region(regions, record + " header")[0] + 22
        with open(path, "rb") as f:
            f.seek(at)
            held = f.read(1)[0]
        poke(path, at, bytes([held & ~flags]))
    return damage


def rename_usnjrnl(path, regions):
    at, length = region(regions, "$Extend index root")
    with open(path, "rb") as f:
        f.seek(at)
        root = f.read(length)
    poke(path, at + root.index("$UsnJrnl".encode("utf-16-le")), "$UsnJrnX".encode("utf-16-le"))


def repeat_j_clusters(path, regions):
    """Appends to $J's runlist a run over the clusters of its first run again, and grows
    the sizes to match: $J then holds its records twice."""
    at, length = region(regions, "$UsnJrnl $J attribute")
    with open(path, "rb") as f:
        f.seek(at)
        header = bytearray(f.read(length))
    runlist = u16(header, 32)
    first = header[runlist]
    size = 1 + (first & 0x0F) + (first >> 4)
    run_length = int.from_bytes(header[runlist + 1:runlist + 1 + (first & 0x0F)], "little")
    if header[runlist + size] != 0 or runlist + size + 4 > length or run_length > 0xFF:
        sys.exit("damage_cases: $J's runlist is not one short run")
    header[runlist + size:runlist + size + 4] = bytes([0x11, run_length, 0x00, 0x00])
    cluster_size = u64(header, 40) // run_length
    struct.pack_into("<q", header, 24, 2 * run_length - 1)  # last VCN
    struct.pack_into("<QQQ", header, 40, *[2 * run_length * cluster_size] * 3)  # sizes
    # MFT records are 512-byte aligned: the last two bytes of each 512 are fixup checks.
    if any((at + i) % 512 >= 510 for i in range(24, runlist + size + 4)):
        sys.exit("damage_cases: the changed bytes would cross a fixup")
    poke(path, at + 24, header[24:runlist + size + 4])


def error(code, what):
    return "Error %d: unable to %s USN journal.\n" % (code, what)


# Damage whose outcome is known exactly: (case, fixture, damage, whole output, status).
# An output of None stands for the records after the first page of $J.
TARGETED = [
    ("boot sector of another file system", "plain", boot(3, b"EXFAT   "), error(1, "query"), 1),
    ("boot sector without its 0x55AA signature", "plain", boot(510, b"\0\0"),
     error(1392, "query"), 1),
    ("bytes per sector 0", "plain", boot(11, b"\0\0"), error(1392, "query"), 1),
    ("MFT cluster past the volume's end", "plain", boot(48, b"\xff" * 7 + b"\x00"),
     error(1392, "query"), 1),
    ("$MFT record without its FILE magic", "plain", in_region("$MFT header", 0, b"BAAD"),
     error(1392, "query"), 1),
    ("$Extend fixup check bytes torn", "plain", in_region("$Extend fixups", 0, b"\x12\x34"),
     error(1392, "query"), 1),
    ("$Extend no longer a directory", "plain", clear_record_flags("$Extend", 0x02),
     error(1179, "query"), 1),
    ("$UsnJrnl record not in use", "plain", clear_record_flags("$UsnJrnl", 0x01),
     error(1392, "query"), 1),
    ("$UsnJrnl's name in the $Extend index changed", "plain", rename_usnjrnl,
     error(1179, "query"), 1),
    ("$J runlist header byte 0xFF", "plain", in_region("$UsnJrnl runlist 0x80", 0, b"\xff"),
     error(1392, "query"), 1),
    ("attribute list entry of length 0", "attribute list",
     in_region("attribute list", 4, b"\0\0"), error(1392, "query"), 1),
    ("whole disk whose partition is not typed NTFS", "whole disk",
     in_region("partition table", 4, b"\x83"), error(1, "query"), 1),
    # Cross-linked runs could turn a small image into terabytes of journal to read.
    ("$J's clusters listed twice in its runlist", "plain", repeat_j_clusters,
     error(1392, "query"), 1),
    # A zero RecordLength ends that page; the records of the next page follow.
    ("first record's RecordLength 0", "plain", in_region("$J records", 0, b"\0\0\0\0"), None, 0),
]


def run_targeted(jrnlpeek, images, work, failures):
    damaged = os.path.join(work, "targeted.img")
    for name, fixture, damage, expected, status in TARGETED:
        shutil.copyfile(images[fixture], damaged)
        regions, _, _ = journal_map(images[fixture])
        damage(damaged, regions)
        run = Run([jrnlpeek, damaged], damaged)
        problems = check_clean_end(run)
        if expected is None:
            full = subprocess.run([jrnlpeek, images[fixture]], stdout=subprocess.PIPE).stdout
            if not (run.stdout and full.endswith(run.stdout) and run.stdout != full):
                problems.append("expected the records after the damaged page, got %d of %d bytes"
                                % (len(run.stdout), len(full)))
        elif run.stdout != expected.encode():
            problems.append("wrote %r, expected %r" % (run.stdout[-300:], expected))
        if run.status != status:
            problems.append("status %r, expected %d" % (run.status, status))
        failures.extend("%s: %s" % (name, problem) for problem in problems)


def run_not_volumes(jrnlpeek, work, failures):
    """Files that are no volume at all, whose reading could block or never end."""
    fifo = os.path.join(work, "fifo")
    if not os.path.exists(fifo):
        os.mkfifo(fifo)
    empty = os.path.join(work, "empty")
    open(empty, "wb").close()
    noise = os.path.join(work, "noise")
    with open(noise, "wb") as f:
        f.write(random.Random("noise").randbytes(1 << 20))
    folder = os.path.join(work, "folder")
    os.makedirs(folder, exist_ok=True)
    not_ntfs = "Error 1: unable to query USN journal.\n"
    cases = [
        # Opening a FIFO that nobody writes to must not wait for a writer.
        ("a FIFO without a writer", fifo, "Error 1117: unable to query USN journal.\n"),
        ("an endless device of zeros", "/dev/zero", not_ntfs),
        ("an empty file", empty, not_ntfs),
        ("a file of random bytes", noise, not_ntfs),
        ("a folder", folder, "Error 5: unable to open drive.\n"),
    ]
    for name, path, expected in cases:
        run = Run([jrnlpeek, path], path if os.path.isfile(path) else None)
        problems = list(run.problems)
        if run.status is not None and (run.status != 1 or run.stdout != expected.encode()
                                       or run.stderr):
            problems.append("status %r, wrote %r %r" % (run.status, run.stdout, run.stderr))
        failures.extend("%s: %s" % (name, p) for p in problems)


def exported_sweep(jrnlpeek, image, work, failures):
    """The $J of an image exported to a file, then bytes changed throughout it and the file
    cut short at many places: journal lines, bad-record messages or the error of a file
    that is no journal, never a hang or a crash. Returns the number of runs."""
    stream = journal_stream(image)
    damaged = os.path.join(work, "exported.j")
    with open(damaged, "wb") as f:
        f.write(stream)
    whole = Run([jrnlpeek, damaged], damaged)
    if whole.stdout != subprocess.run([jrnlpeek, image], stdout=subprocess.PIPE).stdout:
        failures.append("exported $J: does not read like its image")
    chooser = random.Random("exported")
    variants = []
    for at in sorted(chooser.sample(range(len(stream)), 60)):
        data = bytearray(stream)
        data[at] ^= (0xFF, 0x80, 0x01)[at % 3]
        variants.append(("byte %d changed" % at, bytes(data)))
    for at in sorted(chooser.sample(range(len(stream)), 30)) + [0, 7, 8, 63, 64]:
        variants.append(("cut at %d" % at, stream[:at]))
    for name, data in variants:
        with open(damaged, "wb") as f:
            f.write(data)
        run = Run([jrnlpeek, damaged], damaged)
        failures.extend("exported $J, %s: %s" % (name, problem) for problem in check_clean_end(run))
    return len(variants)


def run_faults(jrnlpeek, image, work, failures):
    """A device that ends part-way through the journal, and outputs that fail."""
    full = subprocess.run([jrnlpeek, image], stdout=subprocess.PIPE, check=True).stdout
    _, volume, j_runs = journal_map(image)
    # The first 1 MiB window of $J reads; the next one runs past the end of the copy.
    cut = volume.stream_offset(j_runs, (1 << 20) + (1 << 18))
    if any(volume.stream_offset(j_runs, at) >= cut for at in range(0, 1 << 20, 4096)):
        sys.exit("damage_cases: $J is not laid out in order; the cut would fall too early")
    truncated = os.path.join(work, "truncated.img")
    with open(image, "rb") as source, open(truncated, "wb") as out:
        out.write(source.read(cut))
    run = Run([jrnlpeek, truncated], truncated)
    problems = list(run.problems)
    tail = b"Error 1117: unable to read USN journal.\n"
    printed = run.stdout[:-len(tail)]
    if not (run.stdout.endswith(tail) and printed and full.startswith(printed)
            and printed.endswith(b"\n")):
        problems.append("expected lines already read, then %r; got %d bytes ending %r"
                        % (tail, len(run.stdout), run.stdout[-200:]))
    if run.status != 1:
        problems.append("status %r" % run.status)
    failures.extend("device ends inside $J: " + p for p in problems)

    def bash(script):
        return ["/bin/bash", "-c", script, "bash", jrnlpeek, image]

    outputs = [
        ("output to /dev/full", bash('"$1" "$2" >/dev/full'),
         rb"Error 112: unable to write to standard output\.\n"),
        ("standard output closed", bash('"$1" "$2" >&-'),
         rb"Error \d+: unable to write to standard output\.\n"),
    ]
    for name, command, message in outputs:
        run = Run(command, image)
        problems = list(run.problems)
        if run.status != 1 or not re.fullmatch(message, run.stderr):
            problems.append("status %r, stderr %r" % (run.status, run.stderr))
        failures.extend("%s: %s" % (name, p) for p in problems)
    # The reader of the pipe leaves after one line: the program must not report success.
    run = Run(bash('"$1" "$2" | head -1 >/dev/null; exit ${PIPESTATUS[0]}'), image)
    if run.problems or run.status == 0:
        failures.append("closed pipe: status %r %s" % (run.status, run.problems))


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    jrnlpeek, mkjournal, work = sys.argv[1:]
    os.makedirs(work, exist_ok=True)
    made = Images(mkjournal, work)
    images = {name: made.journal(text) for name, text in FIXTURES.items()}
    failures = []
    count = 0
    for fixture in SWEPT:
        count += damage_sweep(jrnlpeek, images[fixture], work, fixture, failures)
    run_targeted(jrnlpeek, images, work, failures)
    run_not_volumes(jrnlpeek, work, failures)
    count += exported_sweep(jrnlpeek, images["plain"], work, failures)
    run_faults(jrnlpeek, images["many lines"], work, failures)
    for failure in failures:
        print("FAIL " + failure)
    print("%d damaged images and exported $J files, %d targeted cases, faults and other files: "
          "%d failures"
          % (count, len(TARGETED), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
