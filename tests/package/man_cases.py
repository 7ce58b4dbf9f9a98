#!/usr/bin/python3
"""The manual page: groff formats it without a single warning, and its OPTIONS section
lists exactly the options that --help lists.

    man_cases.py JRNLPEEK MANUAL_PAGE
"""

import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import report  # noqa: E402


def help_options(jrnlpeek):
    shown = subprocess.run([jrnlpeek, "--help"], stdout=subprocess.PIPE, check=True).stdout
    section = shown.decode("ascii").split("\nOptions:\n", 1)[1]
    return {m.group(1) for m in re.finditer(r"^\t(--[a-z-]*)", section, re.M)}


def page_options(page):
    with open(page, encoding="utf-8") as f:
        text = f.read()
    section = text.split("\n.SH OPTIONS\n", 1)[1].split("\n.SH ", 1)[0]
    found = re.findall(r"^\.TP\n\.BI? (\S+)", section, re.M)
    return {option.replace("\\-", "-") for option in found}


def main():
    jrnlpeek, page = sys.argv[1:3]
    failures = []
    checked = subprocess.run(["groff", "-man", "-ww", "-z", page], stdout=subprocess.PIPE,
                             stderr=subprocess.STDOUT)
    if checked.returncode != 0 or checked.stdout:
        failures.append("groff warns:\n" + checked.stdout.decode(errors="replace"))
    listed, documented = help_options(jrnlpeek), page_options(page)
    if listed != documented or not listed:
        failures.append("--help lists %s, the manual page %s" % (sorted(listed), sorted(documented)))
    return report(failures)


if __name__ == "__main__":
    sys.exit(main())
