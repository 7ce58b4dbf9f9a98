#!/usr/bin/python3
"""Checks the version resource and the icon of a built jrnlpeek.exe.

    check_resources.py <exe> <version>

The version is the project's, a.b.c.d; every problem found is listed, then the status
is 1.
"""

import struct
import sys

import pefile

ICON_SIZES = {16, 32, 48, 256}


def fixed_version_problems(pe, version):
    numbers = [int(part) for part in version.split(".")]
    wanted_ms = numbers[0] << 16 | numbers[1]
    wanted_ls = numbers[2] << 16 | numbers[3]
    info = pe.VS_FIXEDFILEINFO[0]
    problems = []
    if (info.FileVersionMS, info.FileVersionLS) != (wanted_ms, wanted_ls):
        problems.append("FILEVERSION is %08x %08x, not %s"
                        % (info.FileVersionMS, info.FileVersionLS, version))
    if (info.ProductVersionMS, info.ProductVersionLS) != (wanted_ms, wanted_ls):
        problems.append("PRODUCTVERSION is %08x %08x, not %s"
                        % (info.ProductVersionMS, info.ProductVersionLS, version))
    return problems


def string_problems(pe, version):
    wanted = {
        "FileVersion": version,
        "ProductVersion": version,
        "ProductName": "jrnlpeek",
        "OriginalFilename": "jrnlpeek.exe",
        "InternalName": "jrnlpeek",
    }
    tables = {}
    translations = []
    for info in pe.FileInfo[0]:
        if info.Key == b"StringFileInfo":
            for table in info.StringTable:
                tables[table.LangID.decode()] = {key.decode(): value.decode()
                                                 for key, value in table.entries.items()}
        elif info.Key == b"VarFileInfo":
            translations += [var.entry.get(b"Translation") for var in info.Var]
    problems = []
    if list(tables) != ["040904B0"]:
        return ["string tables are %s, not the one block 040904B0" % sorted(tables)]
    strings = tables["040904B0"]
    for key, value in wanted.items():
        if strings.get(key) != value:
            problems.append("%s is %r, not %r" % (key, strings.get(key), value))
    if not strings.get("FileDescription"):
        problems.append("FileDescription is missing")
    # pefile writes the translation as language and code page, in hexadecimal.
    if translations != ["0x0409 0x04b0"]:
        problems.append("Translation is %r, not 0x409, 1200" % translations)
    return problems


def resources_of_type(pe, resource_type):
    """{id: bytes} of every resource of the type, whatever its language."""
    found = {}
    for type_entry in pe.DIRECTORY_ENTRY_RESOURCE.entries:
        if type_entry.id != resource_type:
            continue
        for name_entry in type_entry.directory.entries:
            for language_entry in name_entry.directory.entries:
                data = language_entry.data.struct
                found[name_entry.id] = pe.get_data(data.OffsetToData, data.Size)
    return found


def icon_problems(pe):
    groups = resources_of_type(pe, pefile.RESOURCE_TYPE["RT_GROUP_ICON"])
    icons = resources_of_type(pe, pefile.RESOURCE_TYPE["RT_ICON"])
    if len(groups) != 1:
        return ["%d icon groups, not 1" % len(groups)]
    group = next(iter(groups.values()))
    _, kind, count = struct.unpack_from("<HHH", group)
    problems = [] if kind == 1 else ["icon group of type %d, not 1" % kind]
    sizes = set()
    for index in range(count):
        width, height, _, _, _, _, size, icon_id = struct.unpack_from(
            "<BBBBHHIH", group, 6 + 14 * index)
        width, height = width or 256, height or 256  # a 0 byte stands for 256
        sizes.add(width)
        if width != height:
            problems.append("icon %d is %d x %d" % (icon_id, width, height))
        if len(icons.get(icon_id, b"")) != size:
            problems.append("icon %d is missing or not %d bytes" % (icon_id, size))
    if not ICON_SIZES <= sizes:
        problems.append("icon sizes are %s; %s wanted" % (sorted(sizes), sorted(ICON_SIZES)))
    return problems


def main():
    path, version = sys.argv[1:]
    pe = pefile.PE(path)
    if not hasattr(pe, "VS_FIXEDFILEINFO") or not hasattr(pe, "DIRECTORY_ENTRY_RESOURCE"):
        print("%s: no version resource" % path)
        return 1
    problems = (fixed_version_problems(pe, version) + string_problems(pe, version)
                + icon_problems(pe))
    for problem in problems:
        print("%s: %s" % (path, problem))
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
