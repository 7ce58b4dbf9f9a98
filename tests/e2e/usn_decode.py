"""An independent reading of USN_RECORD_V2 records from the bytes of a $J stream, used to
derive the expected output for real journals, and the program's rendering of a record.

It is kept apart from the C++ code on purpose, offsets and reason names included: it is
the oracle the program is checked against, so it must not share the program's mistakes."""

import struct

PAGE = 4096

REASONS = [
    (0x00000001, "DATA_OVERWRITE"), (0x00000002, "DATA_EXTEND"),
    (0x00000004, "DATA_TRUNCATION"), (0x00000010, "NAMED_DATA_OVERWRITE"),
    (0x00000020, "NAMED_DATA_EXTEND"), (0x00000040, "NAMED_DATA_TRUNCATION"),
    (0x00000100, "FILE_CREATE"), (0x00000200, "FILE_DELETE"), (0x00000400, "EA_CHANGE"),
    (0x00000800, "SECURITY_CHANGE"), (0x00001000, "RENAME_OLD_NAME"),
    (0x00002000, "RENAME_NEW_NAME"), (0x00004000, "INDEXABLE_CHANGE"),
    (0x00008000, "BASIC_INFO_CHANGE"), (0x00010000, "HARD_LINK_CHANGE"),
    (0x00020000, "COMPRESSION_CHANGE"), (0x00040000, "ENCRYPTION_CHANGE"),
    (0x00080000, "OBJECT_ID_CHANGE"), (0x00100000, "REPARSE_POINT_CHANGE"),
    (0x00200000, "STREAM_CHANGE"), (0x80000000, "CLOSE"),
]


def reason_names(reason):
    return [name for bit, name in REASONS if reason & bit]


def v2_records(stream):
    """Yields (offset, length, frn, parent, reason, name units) for each V2 record in $J's
    bytes that lies wholly inside them. Zero RecordLength means the rest of the page is
    padding."""
    pos = 0
    while pos + 8 <= len(stream):
        length, major = struct.unpack_from("<IH", stream, pos)
        if length == 0:
            pos = (pos // PAGE + 1) * PAGE
            continue
        if pos + length > len(stream):
            return
        if major != 2 or length < 64 or pos % PAGE + length > PAGE:
            raise ValueError("not a V2 record at offset %d" % pos)
        frn, parent = struct.unpack_from("<QQ", stream, pos + 8)
        reason, = struct.unpack_from("<I", stream, pos + 40)
        name_length, name_offset = struct.unpack_from("<HH", stream, pos + 56)
        raw = stream[pos + name_offset:pos + name_offset + name_length]
        units = struct.unpack("<%dH" % (len(raw) // 2), raw)
        yield pos, length, frn, parent, reason, units
        pos += length


def decode_v2(stream):
    """Yields (frn, parent, reason, name units) for each V2 record in $J's bytes."""
    for _, _, frn, parent, reason, units in v2_records(stream):
        yield frn, parent, reason, units


def event_line(parent, reason, units):
    """The line the program writes: units 1-255 as bytes, above 255 as '?', up to a zero."""
    name = []
    for u in units:
        if u == 0:
            break
        name.append(chr(u) if u < 256 else "?")
    return "%s 0x%016x %s\n" % ("|".join(reason_names(reason)), parent, "".join(name))
