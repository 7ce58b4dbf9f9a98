#!/usr/bin/python3
"""End-to-end cases on NTFS images made by mkjournal: each states the journal it needs,
the arguments, and the program's whole output and exit status.

    fixture_cases.py JRNLPEEK MKJOURNAL WORK_DIR
"""

import os
import subprocess
import sys

from harness import Results, fresh_images, line

ROOT = 0x0005000000000005

PLAIN = """
    journal-id 0x01d6627ebc0bd708
    record FILE_CREATE frn=0x0005000000000040 parent=0x0005000000000005 name=notes.txt
    record DATA_EXTEND|FILE_CREATE frn=0x0005000000000040 parent=0x0005000000000005 name=notes.txt
    record DATA_EXTEND|FILE_CREATE|CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=notes.txt
"""
PLAIN_OUT = """\
FILE_CREATE 0x0005000000000005 notes.txt
DATA_EXTEND|FILE_CREATE 0x0005000000000005 notes.txt
DATA_EXTEND|FILE_CREATE|CLOSE 0x0005000000000005 notes.txt
"""

with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "fixture",
                       "demo.journal"), encoding="utf-8") as demo:
    DEMO = demo.read()
DEMO_OUT = """\
FILE_CREATE 0x0005000000000005 New folder
FILE_CREATE|CLOSE 0x0005000000000005 New folder
RENAME_OLD_NAME 0x0005000000000005 New folder
RENAME_NEW_NAME 0x0005000000000005 Reports
RENAME_NEW_NAME|CLOSE 0x0005000000000005 Reports
FILE_CREATE 0x0002000000000050 New Text Document.txt
FILE_CREATE|CLOSE 0x0002000000000050 New Text Document.txt
RENAME_OLD_NAME 0x0002000000000050 New Text Document.txt
RENAME_NEW_NAME 0x0002000000000050 notes.txt
RENAME_NEW_NAME|CLOSE 0x0002000000000050 notes.txt
DATA_EXTEND 0x0002000000000050 notes.txt
DATA_EXTEND|CLOSE 0x0002000000000050 notes.txt
DATA_OVERWRITE 0x0002000000000050 notes.txt
DATA_OVERWRITE|BASIC_INFO_CHANGE|CLOSE 0x0002000000000050 notes.txt
RENAME_OLD_NAME 0x0002000000000050 notes.txt
RENAME_NEW_NAME 0x0002000000000050 minutes.txt
RENAME_NEW_NAME|CLOSE 0x0002000000000050 minutes.txt
FILE_DELETE|CLOSE 0x0002000000000050 minutes.txt
"""


def numbered(count, reasons="FILE_CREATE|CLOSE", name="file%d.txt"):
    return "".join(line(reasons, ROOT, name % n) for n in range(count))


def repeat(count, name="file{n}.txt"):
    return ("repeat %d record FILE_CREATE|CLOSE frn=0x0005000000000040 "
            "parent=0x0005000000000005 name=%s" % (count, name))


# Journals read from first record to last: (case, description, expected output).
WHOLE_JOURNALS = [
    ("plain journal ($J made before $Max, no unnamed stream)", PLAIN, PLAIN_OUT),
    ("the README's demo volume", DEMO, DEMO_OUT),
    ("whole disk with an MBR partition table", "partition mbr" + PLAIN, PLAIN_OUT),
    ("whole disk with a GPT partition table", "partition gpt" + PLAIN, PLAIN_OUT),
    ("64 KB clusters", "cluster-size 65536" + PLAIN, PLAIN_OUT),
    ("512-byte clusters: a page spans eight clusters",
     "cluster-size 512\n" + repeat(300), numbered(300)),
    ("journal without records", "journal-id 7", ""),
    ("sparse head of 30 GB before the records", "sparse-head 30G" + PLAIN, PLAIN_OUT),
    ("sparse head of 30 GB and nothing after it", "sparse-head 30G", ""),
    ("records over many read buffers", repeat(3000), numbered(3000)),
    ("fragmented $J (300 runs) that needs an attribute list",
     "fragment 300\n" + repeat(16000), numbered(16000)),
    ("fragmented $J after a sparse head",
     "sparse-head 1G\nfragment 40\n" + repeat(2000), numbered(2000)),
]

# Record placement in $J's 4096-byte pages.
PAGES = [
    ("512-byte records fill each page exactly",
     repeat(20, "{n}" + "x" * 224), numbered(20, name="%d" + "x" * 224)),
    ("a record that does not fit starts the next page (zero-filled tail)",
     repeat(20, "{n}" + "x" * 198), numbered(20, name="%d" + "x" * 198)),
    ("explicit padding and a whole zero page between records", """
        record FILE_CREATE frn=0x0005000000000040 parent=0x0005000000000005 name=a
        pad
        record CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=b
        pad
        raw 0
        pad
        record FILE_DELETE frn=0x0005000000000040 parent=0x0005000000000005 name=c
     """, line("FILE_CREATE", ROOT, "a") + line("CLOSE", ROOT, "b") +
     line("FILE_DELETE", ROOT, "c")),
]

# Record versions: V3 comes back in the V2 layout, V4 range records not at all.
VERSIONS = [
    ("V3 records returned as V2", """
        record v3 FILE_CREATE frn=0x0005000000000040 parent=0x0005000000000005 name=three.txt
        record v3 CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=three.txt
     """, line("FILE_CREATE", ROOT, "three.txt") + line("CLOSE", ROOT, "three.txt")),
    ("V2, V3 and V2 records mixed", """
        record FILE_CREATE frn=0x0005000000000040 parent=0x0005000000000005 name=a
        record v3 DATA_EXTEND frn=0x0005000000000040 parent=0x0005000000000005 name=b
        record CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=c
     """, line("FILE_CREATE", ROOT, "a") + line("DATA_EXTEND", ROOT, "b") +
     line("CLOSE", ROOT, "c")),
    ("V4 range records not returned, their V3 records are", """
        record FILE_CREATE frn=0x0005000000000040 parent=0x0005000000000005 name=r.bin
        record v4 DATA_OVERWRITE frn=0x0005000000000040 parent=0x0005000000000005 name=r.bin
        record v4 DATA_OVERWRITE|CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=r.bin extents=40
     """, line("FILE_CREATE", ROOT, "r.bin") + line("DATA_OVERWRITE", ROOT, "r.bin") +
     line("DATA_OVERWRITE|CLOSE", ROOT, "r.bin")),
]

ALL_REASONS = ("DATA_OVERWRITE|DATA_EXTEND|DATA_TRUNCATION|NAMED_DATA_OVERWRITE|"
               "NAMED_DATA_EXTEND|NAMED_DATA_TRUNCATION|FILE_CREATE|FILE_DELETE|EA_CHANGE|"
               "SECURITY_CHANGE|RENAME_OLD_NAME|RENAME_NEW_NAME|INDEXABLE_CHANGE|"
               "BASIC_INFO_CHANGE|HARD_LINK_CHANGE|COMPRESSION_CHANGE|ENCRYPTION_CHANGE|"
               "OBJECT_ID_CHANGE|REPARSE_POINT_CHANGE|STREAM_CHANGE|CLOSE")

# One record each: reasons and name as the description states them, then as written.
# A record without reasons is on the disk all the same: it is shown, with no reason name.
EVENT_LINES = [
    ("DATA_OVERWRITE|CLOSE", "DATA_OVERWRITE|CLOSE", ROOT, "a.txt", "a.txt"),
    ("0", "", ROOT, "no-reason", "no-reason"),
    ("0x8|0x80|0x400000|0x40000000", "", ROOT, "unnamed-bits", "unnamed-bits"),
    ("FILE_CREATE|0x8", "FILE_CREATE", ROOT, "mixed-bits", "mixed-bits"),
    ("0xffffffff", ALL_REASONS, ROOT, "all-bits", "all-bits"),
    ("CLOSE", "CLOSE", ROOT, '""', ""),
    ("CLOSE", "CLOSE", ROOT, '"New folder"', "New folder"),
    ("CLOSE", "CLOSE", ROOT, "caf\\u00e9", "caf\xe9"),
    ("CLOSE", "CLOSE", ROOT, "\\u00ff\\u0100", "\xff?"),
    ("CLOSE", "CLOSE", ROOT, "\\u4e2d\\u6587.txt", "??.txt"),
    ("CLOSE", "CLOSE", ROOT, "smile\U0001F600", "smile??"),
    ("CLOSE", "CLOSE", ROOT, "n" * 255, "n" * 255),
    ("CLOSE", "CLOSE", 0, "parent-zero", "parent-zero"),
    ("CLOSE", "CLOSE", 0xFFFFFFFFFFFFFFFF, "parent-max", "parent-max"),
]


def event_line_case():
    description = "".join("record %s frn=0x0005000000000040 parent=0x%x name=%s\n" % (
        reasons, parent, name) for reasons, _, parent, name, _ in EVENT_LINES)
    expected = "".join(line(written_reasons, parent, written_name)
                       for _, written_reasons, parent, _, written_name in EVENT_LINES)
    return ("reason names and name bytes", description, expected)


TARGET = """
    record FILE_CREATE frn=0x0005000000000040 parent=0x0005000000000005 name=old.txt
    record FILE_DELETE|CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=old.txt
    record FILE_CREATE frn=0x0006000000000040 parent=0x0005000000000005 name=new.txt
    record BASIC_INFO_CHANGE|CLOSE frn=0x0005000000000005 parent=0x0005000000000005 name=.
    record FILE_CREATE frn=0x0001000100000040 parent=0x0005000000000005 name=high.txt
"""
OLD = line("FILE_CREATE", ROOT, "old.txt") + line("FILE_DELETE|CLOSE", ROOT, "old.txt")
NEW = line("FILE_CREATE", ROOT, "new.txt")
DOT = line("BASIC_INFO_CHANGE|CLOSE", ROOT, ".")
HIGH = line("FILE_CREATE", ROOT, "high.txt")

# The target FRN argument: a bare record number selects every sequence number.
TARGETS = [
    ("64", OLD + NEW),
    ("0x40", OLD + NEW),
    ("64abc", OLD + NEW),
    ("0x0005000000000040", OLD),
    ("0x0006000000000040", NEW),
    ("0x0007000000000040", ""),
    ("5", DOT),
    ("0x0005000000000005", DOT),
    ("4294967360", HIGH),  # record number 2^32 + 64: all 48 bits count
    ("0", OLD + NEW + DOT + HIGH),
    ("0x", OLD + NEW + DOT + HIGH),
]

A = "record FILE_CREATE frn=0x0005000000000040 parent=0x0005000000000005 name=before"
B = "record CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=after"
AB = line("FILE_CREATE", ROOT, "before") + line("CLOSE", ROOT, "after")

# A damaged record inside $J: reading skips to the next page and goes on.
DAMAGED = [
    ("RecordLength 0 before bytes that are not zero", "raw 0 0 0 0 2 0 0 0 0x40 0 0 0 0 0 5 0"),
    ("RecordLength past the end of the page", "raw 0 0x20 0 0 2 0 0 0"),
    ("RecordLength below a record header", "raw 0x10 0 0 0 2 0 0 0"),
    ("garbage bytes", "raw " + " ".join(["0xDE 0xAD 0xBE 0xEF"] * 8)),
    ("unknown major version", "raw 0x40 0 0 0 9 0 0 0 " + " ".join(["0x41"] * 56)),
    ("name beyond its record",
     "record CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=x name-length=0x100"),
]


def damaged_cases():
    cases = [("damaged record: " + name, "\n".join([A, damage, "pad", B]), AB)
             for name, damage in DAMAGED]
    cases.append(("damaged record at the end of $J",
                  A + "\nraw 0xDE 0xAD 0xBE 0xEF 2 0 0 0", line("FILE_CREATE", ROOT, "before")))
    cases.append(("damaged record between thousands of records",
                  "\n".join([repeat(2000), "raw 0xDE 0xAD 0xBE 0xEF", "pad",
                             repeat(2000, "later{n}.txt")]),
                  numbered(2000) + numbered(2000, name="later%d.txt")))
    return cases


# The usage screen, byte for byte, as all the tests expect it.
with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "usage_screen.txt"),
          encoding="ascii", newline="") as screen:
    USAGE = screen.read()

NO_JOURNAL = "Error 1179: unable to query USN journal.\n"
NOT_NTFS = "Error 1: unable to query USN journal.\n"
NO_LOOKUP = "Error 2: unable to get FRN from filename.\n"


def volume_cases(images, work):
    """Volumes that cannot be read and argument forms: (case, args, expected, status)."""
    zeros = os.path.join(work, "zeros.img")
    with open(zeros, "wb") as f:
        f.truncate(1 << 20)
    short = os.path.join(work, "short.img")
    with open(short, "wb") as f:
        f.write(b"NTFS" * 25)
    plain = images.journal(PLAIN)
    missing = os.path.join(work, "missing.img")
    return [
        ("volume without a journal", [images.journal("no-journal")], NO_JOURNAL, 1),
        ("whole disk whose volume has no journal",
         [images.journal("partition gpt\nno-journal")], NO_JOURNAL, 1),
        ("not NTFS: 1 MiB of zeros", [zeros], NOT_NTFS, 1),
        ("not NTFS: shorter than a boot sector", [short], NOT_NTFS, 1),
        ("damaged $UsnJrnl MFT record", [damaged_usnjrnl_record(images, work)],
         "Error 1392: unable to query USN journal.\n", 1),
        ("missing path", [missing], "Error 2: unable to open drive.\n", 1),
        ("missing folder on the way", [os.path.join(work, "nowhere", "x.img")],
         "Error 3: unable to open drive.\n", 1),
        ("no arguments: usage", [], USAGE, 1),
        ("three arguments: usage", [plain, "0", "0"], USAGE, 1),
        ("drive letter names a volume that is not here", ["C:"],
         "Error 2: unable to open drive.\n", 1),
        ("drive-letter path that cannot be looked up", ["C:\\nothere.txt"], NO_LOOKUP, 1),
        ("target file that cannot be looked up", [plain, missing], NO_LOOKUP, 1),
    ]


def damaged_usnjrnl_record(images, work):
    """A copy of the plain image whose $UsnJrnl MFT record fails its fixup check."""
    source = images.journal(PLAIN)
    path = os.path.join(work, "torn-usnjrnl.img")
    subprocess.run(["cp", "--sparse=always", source, path], check=True)
    inode = int(subprocess.run(["ifind", "-n", "$Extend/$UsnJrnl", path], check=True,
                               stdout=subprocess.PIPE).stdout.split()[0])
    with open(path, "r+b") as f:
        boot = f.read(512)
        bytes_per_sector = int.from_bytes(boot[11:13], "little")
        cluster = bytes_per_sector * boot[13]
        mft = int.from_bytes(boot[48:56], "little") * cluster
        raw = int.from_bytes(boot[64:65], "little", signed=True)
        record_size = 1 << -raw if raw < 0 else raw * cluster
        # The last two bytes of the record's second sector no longer match its
        # update sequence number, as after a torn write.
        f.seek(mft + inode * record_size + 2 * 512 - 2)
        f.write(b"\xAB\xCD")
    return path


def host_file_case(images, work):
    """Linux looks a named target up by inode number, which selects by record number."""
    path = os.path.join(work, "host-file.txt")
    open(path, "w").close()
    inode = os.lstat(path).st_ino
    image = images.journal(PLAIN + "record CLOSE frn=0x%x parent=0x5 name=host.txt" % (
        3 << 48 | inode))
    return ("a named target selects by its inode number", [image, path],
            line("CLOSE", 5, "host.txt"), 0)


def main():
    program, mkjournal, work = sys.argv[1:4]
    images = fresh_images(mkjournal, work)
    results = Results()

    for name, description, expected in (WHOLE_JOURNALS + PAGES + VERSIONS +
                                        [event_line_case()] + damaged_cases()):
        image = images.journal(description)
        results.check(name, program, [image], expected, 0, image)
    target_image = images.journal(TARGET)
    for target, expected in TARGETS:
        results.check("target " + target, program, [target_image, target], expected, 0,
                      target_image)
    for name, args, expected, status in volume_cases(images, work) + [
            host_file_case(images, work)]:
        image = args[0] if args and os.path.exists(args[0]) else None
        results.check(name, program, args, expected, status, image)
    return results.finish()


if __name__ == "__main__":
    sys.exit(main())
