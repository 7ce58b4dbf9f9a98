"""Runs jrnlpeek on images and compares its whole output and exit status.

Every run also checks that the image's bytes are the same afterwards: the program must
never write to the volume it reads.
"""

import difflib
import hashlib
import os
import shutil
import subprocess
import sys

# Only a guard against a hung run, not a speed check: speed is measured by the benchmarks.
HANG_GUARD_SECONDS = 300

SKIP_STATUS = 77  # ctest's SKIP_RETURN_CODE for these tests


def line(reasons, parent, name):
    """One event line as the program writes it: reasons, parent FRN, name."""
    return "%s 0x%016x %s\n" % (reasons, parent, name)


def image_digest(path):
    """SHA-256 of a file's size and data extents; holes are skipped, not read, so a
    64 GiB sparse disk image hashes in a moment."""
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        fd = f.fileno()
        size = os.fstat(fd).st_size
        digest.update(b"size %d\n" % size)
        offset = 0
        while offset < size:
            try:
                data = os.lseek(fd, offset, os.SEEK_DATA)
            except OSError:
                break  # only a hole is left
            hole = os.lseek(fd, data, os.SEEK_HOLE)
            digest.update(b"extent %d %d\n" % (data, hole))
            f.seek(data)
            left = hole - data
            while left:
                chunk = f.read(min(left, 1 << 20))
                if not chunk:
                    break
                digest.update(chunk)
                left -= len(chunk)
            offset = hole
    return digest.hexdigest()


class Images:
    """Makes fixture images with mkjournal, one per distinct description."""

    def __init__(self, mkjournal, work_dir):
        self.mkjournal = mkjournal
        self.work_dir = work_dir
        self.made = {}

    def journal(self, description):
        text = "\n".join(part.strip() for part in description.strip().splitlines()) + "\n"
        if text in self.made:
            return self.made[text]
        name = "j%03d.img" % len(self.made)
        path = os.path.join(self.work_dir, name)
        with open(path + ".journal", "w", encoding="utf-8") as f:
            f.write(text)
        result = subprocess.run([self.mkjournal, path, path + ".journal"],
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        if result.returncode != 0:
            raise RuntimeError("mkjournal failed for %s:\n%s%s" % (
                name, text, result.stdout.decode(errors="replace")))
        self.made[text] = path
        return path


def fresh_images(mkjournal, work_dir):
    """Images made in an empty work folder, nothing left from an earlier run."""
    shutil.rmtree(work_dir, ignore_errors=True)
    os.makedirs(work_dir)
    return Images(mkjournal, work_dir)


class Results:
    def __init__(self):
        self.failures = []
        self.passed = 0

    def check(self, name, program, args, expected, status, image=None, cwd=None):
        """Runs the program (a path, or a command list such as an emulator and the
        executable) with args in cwd and compares output and status; when image is given,
        also that its bytes did not change."""
        before = image_digest(image) if image else None
        command = (program if isinstance(program, list) else [program]) + args
        try:
            result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                    cwd=cwd, timeout=HANG_GUARD_SECONDS)
        except subprocess.TimeoutExpired:
            self.fail(name, args, "no exit within %d s (hung?)" % HANG_GUARD_SECONDS)
            return
        problems = []
        want = expected.encode("latin-1") if isinstance(expected, str) else expected
        if result.stdout != want:
            problems.append(describe_difference(want, result.stdout))
        if result.returncode != status:
            problems.append("exit status %d, expected %d" % (result.returncode, status))
        if result.stderr:
            problems.append("wrote to stderr: %r" % result.stderr[:300])
        if image and image_digest(image) != before:
            problems.append("the image's bytes changed")
        if problems:
            self.fail(name, args, "\n".join(problems))
        else:
            self.passed += 1

    def fail(self, name, args, message):
        self.failures.append("FAIL %s\n  args: %s\n%s" % (
            name, " ".join(args), "\n".join("  " + l for l in message.splitlines())))

    def finish(self):
        for failure in self.failures:
            print(failure)
        print("%d passed, %d failed" % (self.passed, len(self.failures)))
        return 1 if self.failures else 0


def report(failures):
    """Prints each failure and their count; the exit status of a test made of checks."""
    for failure in failures:
        print("FAIL " + failure)
    print("%d failures" % len(failures))
    return 1 if failures else 0


def describe_difference(expected, actual, limit=40):
    """A unified diff of the two outputs, each line shown with its escapes visible."""
    diff = list(difflib.unified_diff(expected.decode("latin-1").splitlines(keepends=True),
                                     actual.decode("latin-1").splitlines(keepends=True),
                                     "expected", "actual", n=1, lineterm="\n"))
    shown = "".join(d if d.startswith(("---", "+++", "@@")) else d[0] + repr(d[1:]) + "\n"
                    for d in diff[:limit])
    if len(diff) > limit:
        shown += "... %d more diff lines\n" % (len(diff) - limit)
    return "output differs (%d lines expected, %d written):\n%s" % (
        expected.count(b"\n"), actual.count(b"\n"), shown.rstrip("\n"))


def skip(message):
    print("SKIPPED: " + message)
    sys.exit(SKIP_STATUS)
