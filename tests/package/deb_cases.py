#!/usr/bin/python3
"""The Debian package as a user gets it: built by CPack from this build, checked by
lintian, unpacked into a scratch root, and its program and manual page run from there.

    deb_cases.py BUILD_DIR JRNLPEEK MKJOURNAL DEMO_JOURNAL WORK_DIR
"""

import glob
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import report  # noqa: E402


def run(command, **kwargs):
    return subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                          timeout=300, **kwargs)


def main():
    build, jrnlpeek, mkjournal, demo_journal, work = sys.argv[1:6]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    failures = []

    made = run(["cpack", "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"),
                "-B", os.path.join(work, "packages")])
    debs = glob.glob(os.path.join(work, "packages", "*.deb"))
    if made.returncode != 0 or len(debs) != 1:
        print(made.stdout.decode(errors="replace"), made.stderr.decode(errors="replace"))
        sys.exit("FAIL cpack made no package")
    deb = debs[0]
    if os.path.basename(deb) != "jrnlpeek_1.0.0.2_amd64.deb":
        failures.append("package named %s" % os.path.basename(deb))

    # Errors and warnings fail; what lintian only reports as information does not.
    checked = run(["lintian", deb])
    tags = [line for line in checked.stdout.decode(errors="replace").splitlines()
            if line.startswith(("E:", "W:"))]
    if tags:
        failures.append("lintian:\n  " + "\n  ".join(tags))

    root = os.path.join(work, "root")
    if run(["dpkg", "-x", deb, root]).returncode != 0:
        sys.exit("FAIL dpkg cannot unpack %s" % deb)
    for path in ["usr/bin/jrnlpeek", "usr/share/man/man1/jrnlpeek.1.gz",
                 "usr/share/doc/jrnlpeek/README.md", "usr/share/doc/jrnlpeek/LICENSE",
                 "usr/share/doc/jrnlpeek/copyright", "usr/share/doc/jrnlpeek/changelog.gz"]:
        if not os.path.isfile(os.path.join(root, path)):
            failures.append("the package holds no /" + path)

    # The installed program reads a fixture volume as the program of this build does.
    image = os.path.join(work, "demo.img")
    if run([mkjournal, image, demo_journal]).returncode != 0:
        sys.exit("FAIL mkjournal cannot make the demo volume")
    expected = run([jrnlpeek, image])
    installed = run([os.path.join(root, "usr/bin/jrnlpeek"), image])
    if (installed.returncode, installed.stdout, installed.stderr) != (0, expected.stdout, b"") \
            or expected.stdout.count(b"\n") < 10:
        failures.append("the installed program printed %r (status %d), expected %r" % (
            installed.stdout[:200], installed.returncode, expected.stdout[:200]))

    page = run(["man", "--warnings", "-l", os.path.join(root, "usr/share/man/man1/jrnlpeek.1.gz")],
               env=dict(os.environ, MANWIDTH="80"))
    shown = page.stdout.decode(errors="replace")
    if page.returncode != 0 or page.stderr or "NAME" not in shown or "jrnlpeek" not in shown:
        failures.append("man shows the installed page with status %d: %r" % (
            page.returncode, page.stderr[:300]))

    return report(failures)


if __name__ == "__main__":
    sys.exit(main())
