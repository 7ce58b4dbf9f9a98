#!/usr/bin/python3
"""End-to-end cases on real volumes: the Windows 10 sample disk, whose expected lines come
from its $J as The Sleuth Kit copies it out (icat) and decoded here, cross-checked with
usnjls, whose records in each timeline format are checked field by field against
usnjls -m and whose paths against The Sleuth Kit's fls; and Debian's forensics sample
NTFS volume, which has no journal. The Windows build under Wine gets the format and path
checks on the sample disk that the samples_unpack test unpacked.

    sample_cases.py windows JRNLPEEK SAMPLES_DIR WORK_DIR
    sample_cases.py forensics JRNLPEEK WORK_DIR
    sample_cases.py wine UNPACKED_DIR EMULATOR... JRNLPEEK_EXE
"""

import collections
import datetime
import lzma
import os
import shutil
import subprocess
import sys

from harness import Results, skip
from sleuthkit import journal_stream, sleuthkit
from timeline_cases import read_body, read_csv, read_json
from usn_decode import decode_v2, event_line, reason_names

SAMPLE_TGZ = "win10-ntfs-disk.tgz"
SAMPLE_RECORDS = 188  # as the sample's README gives it
PARTITION_SECTOR = "2048"
FORENSICS_XZ = "/usr/share/forensics-samples/fs.ntfs.xz"


def unpack_once(work, name, unpack):
    """Makes work/name with unpack(tmp_path) unless an earlier run did."""
    path = os.path.join(work, name)
    if not os.path.exists(path):
        os.makedirs(work, exist_ok=True)
        unpack(path + ".tmp")
        os.rename(path + ".tmp", path)
    return path


def untar(tgz, target):
    shutil.rmtree(target, ignore_errors=True)
    os.makedirs(target)
    # GNU tar restores the 64 GiB disk sparse, about 120 MB on disk.
    subprocess.run(["tar", "--no-same-owner", "-xzf", tgz, "-C", target], check=True)


def check_against_usnjls(raw, records):
    """The decoding here must agree with usnjls on every record."""
    listed = sleuthkit("usnjls", "-o", PARTITION_SECTOR, raw).decode("utf-8").splitlines()
    if len(listed) != len(records):
        raise RuntimeError("usnjls lists %d records, the decoding %d" % (
            len(listed), len(records)))
    for text, (frn, parent, reason, units) in zip(listed, records):
        fields = text.split("\t")
        mine = ["%d-%d" % (frn & 0xFFFFFFFFFFFF, frn >> 48),
                "%d-%d" % (parent & 0xFFFFFFFFFFFF, parent >> 48),
                reason_names(reason), bytes(b for u in units for b in u.to_bytes(2, "little"))
                .decode("utf-16-le")]
        theirs = [fields[0], fields[1], fields[3].split(), fields[4]]
        if mine != theirs:
            raise RuntimeError("usnjls reads %r, the decoding %r" % (theirs, mine))


def usnjls_fields(raw):
    """Each record as usnjls -m prints it:
    version|length|entry-seq|parent-entry-seq|usn|epoch.ns|reason|source|security|attributes|name
    """
    records = []
    for text in sleuthkit("usnjls", "-m", "-o", PARTITION_SECTOR, raw).decode("utf-8").splitlines():
        (version, length, entry, parent, usn, epoch, reason, source, security, attributes,
         name) = text.split("|", 10)
        seconds, nanoseconds = epoch.split(".")
        records.append({
            "version": version, "RecordLength": int(length), "file": entry, "parent": parent,
            "Usn": int(usn),
            "ticks": (int(seconds) + 11644473600) * 10 ** 7 + int(nanoseconds) // 100,
            "Reason": int(reason), "SourceInfo": int(source), "SecurityId": int(security),
            "FileAttributes": int(attributes), "Name": name})
    return records


def filetime_of(iso):
    """The FILETIME of an ISO 8601 time with seven fractional digits."""
    seconds, ticks = iso.rstrip("Z").split(".")
    when = datetime.datetime.strptime(seconds, "%Y-%m-%dT%H:%M:%S")
    return int((when - datetime.datetime(1601, 1, 1)).total_seconds()) * 10 ** 7 + int(ticks)


def as_usnjls(row):
    """A record read back from the CSV or JSON Lines output, in usnjls -m's terms."""
    return {
        "version": "%d.%d" % (row["MajorVersion"], row["MinorVersion"]),
        "RecordLength": row["RecordLength"],
        "file": "%d-%d" % (row["FileEntry"], row["FileSequence"]),
        "parent": "%d-%d" % (row["ParentEntry"], row["ParentSequence"]),
        "Usn": row["Usn"], "ticks": filetime_of(row["TimeStamp"]), "Reason": row["Reason"],
        "SourceInfo": row["SourceInfo"], "SecurityId": row["SecurityId"],
        "FileAttributes": row["FileAttributes"], "Name": row["Name"]}


def body_as_usnjls(row):
    return {"file": "%d-%d" % (row["FileEntry"], row["FileSequence"]), "ticks": row["TimeStamp"],
            "Reason": row["Reason"], "Name": row["Name"],
            "directory": row["directory"]}


def native(program):
    """Runs the program on the image as it is named here."""
    return lambda args, raw: subprocess.run([program] + args + [raw], stdout=subprocess.PIPE,
                                            stderr=subprocess.PIPE)


def under_wine(command):
    """Runs the Windows build under Wine on the image named by a \\?\ path, its lines
    ending as the Linux build's do but CSV's, which ends with CR LF everywhere."""
    def run(args, raw):
        result = subprocess.run(command + args + ["\\\\?\\Z:" + raw.replace("/", "\\")],
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=300)
        if "--csv" not in args:
            result.stdout = result.stdout.replace(b"\r\n", b"\n")
        return result
    return run


def check_formats_against_usnjls(results, run, raw):
    """Every field of every record in each format, field by field against usnjls -m."""
    theirs = usnjls_fields(raw)
    body_theirs = [{"file": r["file"], "ticks": r["ticks"], "Reason": r["Reason"],
                    "Name": r["Name"], "directory": bool(r["FileAttributes"] & 0x10)}
                   for r in theirs]
    for option, reader, convert, wanted in [
            ("--csv", read_csv, as_usnjls, theirs), ("--json", read_json, as_usnjls, theirs),
            ("--body", read_body, body_as_usnjls, body_theirs)]:
        result = run([option, "--no-paths"], raw)
        rows, problem = reader(result.stdout)
        if not problem:
            mine = [convert(row) for row in rows]
            problem = next(("record %d: %r, usnjls -m reads %r" % (n, a, b)
                            for n, (a, b) in enumerate(zip(mine, wanted)) if a != b), None)
            if not problem and len(mine) != len(wanted):
                problem = "%d records, usnjls -m lists %d" % (len(mine), len(wanted))
        if problem or result.returncode or result.stderr:
            results.fail("Windows 10 sample disk against usnjls -m: " + option, [option, raw],
                         problem or "status %d, stderr %r" % (result.returncode, result.stderr))
        else:
            results.passed += 1


RENAMES = 0x00003000  # RENAME_OLD_NAME, RENAME_NEW_NAME


def folders_by_fls(raw):
    """The folders The Sleuth Kit finds on the volume now: entry -> path from the root,
    "/"-separated (deleted entries left out)."""
    folders = {}
    listing = sleuthkit("fls", "-r", "-p", "-D", "-o", PARTITION_SECTOR, raw).decode("utf-8")
    for text in listing.splitlines():
        kind, rest = text.split(" ", 1)
        if rest.startswith("*"):
            continue
        meta, path = rest.split(":\t", 1)
        folders[int(meta.split("-")[0])] = path
    return folders


def sequence_now(raw, entry):
    """The entry's sequence number, when it is in use now."""
    text = sleuthkit("istat", "-o", PARTITION_SECTOR, raw, str(entry)).decode("utf-8")
    if "Not Allocated" in text:
        return None
    return int(text.split("Sequence: ", 1)[1].split()[0])


def check_paths_against_fls(results, run, raw, records):
    """Each record's ParentPath against the path The Sleuth Kit gives its folder now, for
    the folders that still exist under the sequence number the record names and that
    neither they nor a folder above them were renamed after the record."""
    folders = folders_by_fls(raw)
    entries_of = {path: entry for entry, path in folders.items()}
    sequences = {}
    result = run(["--csv"], raw)
    rows, problem = read_csv(result.stdout)
    checked = 0
    for n, (row, (frn, parent, reason, units)) in enumerate(zip(rows or [], records)):
        entry, sequence = parent & 0xFFFFFFFFFFFF, parent >> 48
        if entry == 5:
            wanted = "\\"
        elif entry in folders:
            path = folders[entry]
            prefixes = [path[:i] for i in range(len(path)) if path[i] == "/"] + [path]
            chain = [entries_of.get(prefix) for prefix in prefixes]
            if entry not in sequences:
                sequences[entry] = sequence_now(raw, entry)
            renamed_later = any((f & 0xFFFFFFFFFFFF) in chain and r & RENAMES
                                for f, _, r, _ in records[n + 1:])
            if sequences[entry] != sequence or None in chain or renamed_later:
                continue
            wanted = "\\" + path.replace("/", "\\")
        else:
            continue
        checked += 1
        if row["ParentPath"] != wanted and not problem:
            problem = "record %d: ParentPath %r, fls gives %r" % (n, row["ParentPath"], wanted)
    if not problem and (checked == 0 or len(rows) != len(records)):
        problem = "%d rows for %d records, %d paths compared" % (len(rows), len(records), checked)
    if problem or result.returncode or result.stderr:
        results.fail("Windows 10 sample disk: paths against fls", ["--csv", raw],
                     problem or "status %d, stderr %r" % (result.returncode, result.stderr))
    else:
        results.passed += 1


def windows_sample(program, samples, work):
    tgz = os.path.join(samples, SAMPLE_TGZ)
    if not os.path.exists(tgz):
        skip("%s not found (set JRNLPEEK_SAMPLES to the folder that holds it)" % tgz)
    folder = unpack_once(work, "win10", lambda target: untar(tgz, target))
    raw = os.path.join(folder, "ntfs.raw")
    records = list(decode_v2(journal_stream(raw, PARTITION_SECTOR)))
    if len(records) != SAMPLE_RECORDS:
        raise RuntimeError("decoded %d records, the sample has %d" % (
            len(records), SAMPLE_RECORDS))
    check_against_usnjls(raw, records)

    results = Results()
    results.check("Windows 10 sample disk: every record", program, [raw],
                  "".join(event_line(p, r, n) for _, p, r, n in records), 0, raw)
    # The file with the most records, once by its full FRN and once by record number.
    frn = collections.Counter(f for f, _, _, _ in records).most_common(1)[0][0]
    for target, selects in [("0x%016x" % frn, lambda f: f == frn),
                            (str(frn & 0xFFFFFFFFFFFF),
                             lambda f: f & 0xFFFFFFFFFFFF == frn & 0xFFFFFFFFFFFF)]:
        expected = "".join(event_line(p, r, n) for f, p, r, n in records if selects(f))
        results.check("Windows 10 sample disk: target " + target, program, [raw, target],
                      expected, 0, raw)
    check_formats_against_usnjls(results, native(program), raw)
    check_paths_against_fls(results, native(program), raw, records)
    return results.finish()


def windows_build_on_sample(unpacked, command):
    """The Windows build under Wine on the sample disk: every field and every path."""
    raw = os.path.join(unpacked, "ntfs.raw")
    if not os.path.exists(raw):
        skip("%s not found (the samples were not unpacked)" % raw)
    records = list(decode_v2(journal_stream(raw, PARTITION_SECTOR)))
    results = Results()
    check_formats_against_usnjls(results, under_wine(command), raw)
    check_paths_against_fls(results, under_wine(command), raw, records)
    return results.finish()


def forensics_sample(program, work):
    if not os.path.exists(FORENSICS_XZ):
        skip("%s not found (package forensics-samples-ntfs)" % FORENSICS_XZ)

    def decompress(target):
        # Zero blocks are left as holes, as a sparse copy would.
        with lzma.open(FORENSICS_XZ) as source, open(target, "wb") as out:
            while True:
                block = source.read(1 << 20)
                if not block:
                    break
                if block.count(0) == len(block):
                    out.seek(len(block), os.SEEK_CUR)
                else:
                    out.write(block)
            out.truncate()

    volume = unpack_once(work, "fs.ntfs", decompress)
    results = Results()
    results.check("forensics sample volume: NTFS without a journal", program, [volume],
                  "Error 1179: unable to query USN journal.\n", 1, volume)
    return results.finish()


def main():
    if sys.argv[1] == "windows":
        return windows_sample(*sys.argv[2:5])
    if sys.argv[1] == "wine":
        return windows_build_on_sample(sys.argv[2], sys.argv[3:])
    return forensics_sample(*sys.argv[2:4])


if __name__ == "__main__":
    sys.exit(main())
