#!/usr/bin/python3
"""Runs jrnlpeek.exe with each case's arguments and compares its whole standard output
and its exit status.

    run_wine_cases.py VERSION <command...>

VERSION is the program's version; the command is the emulator (Wine) and its arguments,
then the executable. Wine has no
USN journal, so the runs end at the journal query at the latest; what they show is the
command line, the file and volume operations and the messages, byte for byte; images
and exported $J files are read by journal_files.py.
"""

import os
import subprocess
import sys

# The usage screen as all the tests expect it; Windows ends its lines with CR LF.
TESTS = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")


def text_file(name):
    with open(os.path.join(TESTS, name), encoding="ascii", newline="") as f:
        return f.read().replace("\n", "\r\n")


USAGE = text_file("usage_screen.txt")
HELP = USAGE + text_file("help_options.txt")

NO_FRN = "Error {}: unable to get FRN from filename.\r\n"
NO_DRIVE = "Error {}: unable to open drive.\r\n"
NO_JOURNAL = "Error 50: unable to query USN journal.\r\n"  # ERROR_NOT_SUPPORTED

# name, arguments, whole standard output, exit status[, whole standard error]
CASES = [
    ("no arguments", [], USAGE, 1),
    ("three arguments", ["C:", "5", "6"], USAGE, 1),
    ("file path, missing folder", [r"C:\no\such\file"], NO_FRN.format(3), 1),
    ("not a volume path", ["/?"], NO_DRIVE.format(123), 1),
    ("volume and FRN", ["C:", "5"], NO_JOURNAL, 1),
    ("device path and hexadecimal FRN", [r"\\.\C:", "0x0005000000000005"], NO_JOURNAL, 1),
    # A folder is looked up like a file; the journal query then fails as above.
    ("file path of a folder", [r"C:\windows"], NO_JOURNAL, 1),
    ("volume and file path", ["C:", r"C:\windows\system32\kernel32.dll"], NO_JOURNAL, 1),
    ("volume and missing relative file", ["C:", "-5"], NO_FRN.format(2), 1),
    # Only the wide command line carries these letters; the narrow argv would turn them
    # into "?", which no path may hold (error 123 instead of 3).
    ("file path beyond the code page", ["C:\\\u0436\u0443\u0440\u043d\u0430\u043b\\x"],
     NO_FRN.format(3), 1),
    ("help", ["--help"], HELP, 0),
    ("unknown option", ["--bogus", "C:"], "Error 87: unknown option --bogus.\r\n", 1),
    # In a format standard output holds only records: the message goes to standard error.
    ("CSV of a volume without a journal", ["--csv", "C:"], "", 1, NO_JOURNAL),
    ("JSON, the lookup failing", ["C:", "-5", "--json"], "", 1, NO_FRN.format(2)),
    # A file that is neither an NTFS image nor a journal: the journal query's own error.
    ("file that is no volume and no journal",
     ["\\\\?\\Z:" + os.path.abspath(__file__).replace("/", "\\")], NO_JOURNAL, 1),
    ("image that does not exist", ["no-such-image.raw"], NO_DRIVE.format(2), 1),
]


def run(command, arguments):
    environment = dict(os.environ, LC_ALL="C.UTF-8")  # Wine reads argv as UTF-8
    return subprocess.run(command + arguments, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE, env=environment, timeout=300)


def main():
    version, command = sys.argv[1], sys.argv[2:]
    cases = CASES + [("version", ["--version"], "jrnlpeek %s\r\n" % version, 0)]
    failures = 0
    for name, arguments, output, status, *errors in cases:
        result = run(command, arguments)
        expected = output.encode("ascii")
        stderr_ok = not errors or result.stderr == errors[0].encode("ascii")
        if result.stdout == expected and result.returncode == status and stderr_ok:
            print("ok      %s" % name)
            continue
        failures += 1
        print("FAILED  %s: %r" % (name, arguments))
        print("  status   %d, expected %d" % (result.returncode, status))
        print("  output   %r" % result.stdout)
        print("  expected %r" % expected)
        if result.stderr:
            print("  stderr   %r" % result.stderr)
    print("%d of %d cases failed" % (failures, len(cases)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
