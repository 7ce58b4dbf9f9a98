#!/usr/bin/python3
"""The program on images and on exported $J files, as an examiner meets them: the
Windows 10 sample disk and its $J, fixture images (whole disks with an MBR or a GPT, a
sparse head, $J through an attribute list) and theirs, each exported $J also with its
head stripped, behind a hole, behind stored zeros and cut short, and the sample excerpt,
which is a fragment of a real $J. The expected lines are decoded here from the $J that
The Sleuth Kit copies out of each image (icat), apart from the program.

The same cases run for both builds, the Windows build under Wine with CR LF line ends,
and each file named in the forms that platform offers for a file that is not a volume:

    journal_files.py linux MKJOURNAL SAMPLES UNPACKED WORK JRNLPEEK
    journal_files.py wine MKJOURNAL SAMPLES UNPACKED WORK EMULATOR... JRNLPEEK_EXE

SAMPLES is the folder of the real-data samples, UNPACKED the folder into which the
samples_unpack test put the sample disk (ntfs.raw) and its $J (j.bin).
"""

import os
import shutil
import sys

from harness import Images, Results
from sleuthkit import journal_stream
from usn_decode import event_line, v2_records

PAGE = 4096
HOLE = 256 << 20
STORED_ZEROS = 8 << 20


def records(count, name):
    return ("repeat %d record FILE_CREATE|CLOSE frn=0x0005000000000040 "
            "parent=0x0005000000000005 name=%s\n" % (count, name))


# name, mkjournal description, sector of the NTFS volume in the image
FIXTURES = [
    ("whole disk with an MBR", "partition mbr\n" + records(300, "mbr-{n}.txt"), "2048"),
    ("whole disk with a GPT", "partition gpt\n" + records(300, "gpt-{n}.txt"), "2048"),
    # The Sleuth Kit takes a runlist only when the volume is larger than the sparse head.
    ("sparse head", "size 80M\nsparse-head 64M\n" + records(300, "after-the-head-{n}.txt"), "0"),
    ("$J through an attribute list", "fragment 300\n" + records(16000, "listed-{n}.txt"), "0"),
]


def stripped(stream):
    """The stream from its first page that holds anything but zeros."""
    at = 0
    while at < len(stream) and not any(stream[at:at + PAGE]):
        at += PAGE
    return stream[at:]


def lines_of(stream, end=None):
    """The event lines of the records that lie wholly before `end`."""
    end = len(stream) if end is None else end
    return "".join(event_line(parent, reason, units)
                   for at, length, _, parent, reason, units in v2_records(stream)
                   if at + length <= end)


def write_file(path, head, data, hole):
    """`head` bytes of hole (or of stored zeros), then the data."""
    with open(path, "wb") as f:
        if hole:
            f.seek(head)
        else:
            block = bytes(1 << 20)
            for at in range(0, head, len(block)):
                f.write(block[:min(len(block), head - at)])
        f.write(data)


def exported_variants(stream, folder, stem):
    """(case, path, expected lines) for copies of one $J: as icat wrote it, its head
    stripped, behind a hole, behind stored zeros, and cut inside its last record."""
    body = stripped(stream)
    last, length = [(at, n) for at, n, _, _, _, _ in v2_records(body)][-1]
    variants = [("as copied", 0, stream, True)] if len(body) != len(stream) else []
    variants += [("head stripped" if variants else "as copied", 0, body, True),
                ("behind a %d MiB hole" % (HOLE >> 20), HOLE, body, True),
                ("behind %d MiB of stored zeros" % (STORED_ZEROS >> 20), STORED_ZEROS, body, False),
                ("cut inside its last record", 0, body[:last + length // 2], True)]
    made = []
    for index, (case, head, data, hole) in enumerate(variants):
        path = os.path.join(folder, "%s-%d.j" % (stem, index))
        write_file(path, head, data, hole)
        made.append((case, path, lines_of(data)))
    return made


class Platform:
    def __init__(self, kind, command):
        self.kind = kind
        self.command = command

    def line_end(self, text):
        return text.replace("\n", "\r\n") if self.kind == "wine" else text

    def names(self, path):
        """(form, argument, working folder) for each way the file is named."""
        folder, base = os.path.split(os.path.abspath(path))
        if self.kind == "linux":
            return [("", os.path.abspath(path), None)]
        # Never a drive-letter path, which names a file on a live volume: the relative
        # name, and the file namespace form through Wine's drive Z: for "/".
        return [(" (relative path)", base, folder),
                (" (\\\\?\\ path)", "\\\\?\\Z:" + os.path.abspath(path).replace("/", "\\"), None)]

    def check(self, results, case, path, expected):
        for form, argument, cwd in self.names(path):
            results.check(case + form, self.command, [argument], self.line_end(expected), 0,
                          path, cwd)


def image_and_exports(platform, results, case, image, sector, folder, stem):
    stream = journal_stream(image, sector)
    platform.check(results, case, image, lines_of(stream))
    for variant, path, expected in exported_variants(stream, folder, stem):
        platform.check(results, "%s, exported $J %s" % (case, variant), path, expected)


def main():
    kind, mkjournal, samples, unpacked, work = sys.argv[1:6]
    platform = Platform(kind, sys.argv[6:])
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    images = Images(mkjournal, work)
    results = Results()

    for index, (case, description, sector) in enumerate(FIXTURES):
        image_and_exports(platform, results, case, images.journal(description), sector, work,
                          "fixture%d" % index)
    disk = os.path.join(unpacked, "ntfs.raw")
    if os.path.exists(disk):
        image_and_exports(platform, results, "Windows 10 sample disk", disk, "2048", work, "win10")
    else:
        print("SKIPPED: the Windows 10 sample disk (win10-ntfs-disk.tgz) is not in %s" % samples)
    excerpt = os.path.join(samples, "usnjrnl-excerpt.bin")
    if os.path.exists(excerpt):
        with open(excerpt, "rb") as f:
            platform.check(results, "the sample excerpt, a fragment of a real $J", excerpt,
                           lines_of(f.read()))
    else:
        print("SKIPPED: %s not found" % excerpt)
    return results.finish()


if __name__ == "__main__":
    sys.exit(main())
