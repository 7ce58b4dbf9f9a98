"""Where the structures on the path to the USN journal lie in an NTFS image: the boot
sector, the MFT records of $MFT, $Extend and $UsnJrnl, their runlists, the $Extend
index, the attribute list and $J. Just enough NTFS for the images mkjournal makes, so
the damage tests can change those bytes and no others; it fails loudly on anything else.
"""

import struct

FILE_REFERENCE_RECORD_MASK = (1 << 48) - 1
ATTRIBUTE_LIST = 0x20
DATA = 0x80
INDEX_ROOT = 0x90
INDEX_ALLOCATION = 0xA0
BASIC_DATA_GUID = bytes.fromhex("a2a0d0ebe5b9334487c068b6b72699c7")


def u16(data, at):
    return struct.unpack_from("<H", data, at)[0]


def u32(data, at):
    return struct.unpack_from("<I", data, at)[0]


def u64(data, at):
    return struct.unpack_from("<Q", data, at)[0]


def volume_offset(image):
    """The byte offset of the NTFS boot sector: 0, or the first NTFS partition."""
    if image[3:11] == b"NTFS    ":
        return 0
    entries = [image[446 + 16 * i:462 + 16 * i] for i in range(4)]
    if any(entry[4] == 0xEE for entry in entries):
        start, count, size = u64(image, 512 + 72), u32(image, 512 + 80), u32(image, 512 + 84)
        for i in range(count):
            entry = image[start * 512 + i * size:][:48]
            if entry[:16] == BASIC_DATA_GUID:
                return u64(entry, 32) * 512
    for entry in entries:
        if entry[4] == 0x07:
            return u32(entry, 8) * 512
    raise ValueError("no NTFS volume in the image")


def decode_runlist(data, at):
    """[(vcn, lcn or None when sparse, length)] and the runlist's length in bytes."""
    runs, vcn, lcn, start = [], 0, 0, at
    while data[at] != 0:
        length_size, offset_size = data[at] & 0x0F, data[at] >> 4
        length = int.from_bytes(data[at + 1:at + 1 + length_size], "little")
        if offset_size:
            lcn += int.from_bytes(data[at + 1 + length_size:at + 1 + length_size + offset_size],
                                  "little", signed=True)
        runs.append((vcn, lcn if offset_size else None, length))
        vcn += length
        at += 1 + length_size + offset_size
    return runs, at + 1 - start


class Attribute:
    def __init__(self, record_offset, record, at):
        self.offset = record_offset + at  # of the attribute header in the image
        self.type, self.length = u32(record, at), u32(record, at + 4)
        self.non_resident = record[at + 8] == 1
        name_length, name_offset = record[at + 9], u16(record, at + 10)
        self.name = record[at + name_offset:at + name_offset + 2 * name_length].decode("utf-16-le")
        if self.non_resident:
            runlist = at + u16(record, at + 32)
            self.first_vcn = u64(record, at + 16)
            self.runs, size = decode_runlist(record, runlist)
            self.runlist = (record_offset + runlist, size)
            self.data_size = u64(record, at + 48)
        else:
            value = at + u16(record, at + 20)
            self.value = (record_offset + value, u32(record, at + 16))
            self.value_bytes = record[value:value + u32(record, at + 16)]


class Volume:
    """An NTFS volume inside an image file, read with the fixups applied."""

    def __init__(self, image):
        self.image = image
        self.offset = volume_offset(image)
        boot = image[self.offset:self.offset + 512]
        self.cluster_size = u16(boot, 11) * boot[13]
        clusters_per_record = struct.unpack_from("<b", boot, 64)[0]
        self.record_size = (1 << -clusters_per_record if clusters_per_record < 0
                            else clusters_per_record * self.cluster_size)
        _, attributes = self.parse_record(self.offset + u64(boot, 48) * self.cluster_size)
        self.mft_runs = next(a for a in attributes if a.type == DATA and a.name == "").runs

    def stream_offset(self, runs, offset):
        """The image offset of byte `offset` of a non-resident value."""
        vcn, within = divmod(offset, self.cluster_size)
        for first, lcn, length in runs:
            if first <= vcn < first + length:
                if lcn is None:
                    raise ValueError("offset %d is sparse" % offset)
                return self.offset + (lcn + vcn - first) * self.cluster_size + within
        raise ValueError("offset %d outside the runs" % offset)

    def parse_record(self, at):
        """The MFT record at image offset `at`, fixups applied, and its attributes."""
        data = bytearray(self.image[at:at + self.record_size])
        if data[:4] != b"FILE":
            raise ValueError("no FILE record at %d" % at)
        array, count = u16(data, 4), u16(data, 6)
        for i in range(1, count):
            data[i * 512 - 2:i * 512] = data[array + 2 * i:array + 2 * i + 2]
        attributes, position = [], u16(data, 20)
        while u32(data, position) != 0xFFFFFFFF:
            attributes.append(Attribute(at, data, position))
            position += u32(data, position + 4)
        return bytes(data), attributes

    def record(self, number):
        """(image offset, bytes, attributes) of MFT record `number`."""
        at = self.stream_offset(self.mft_runs, number * self.record_size)
        return (at,) + self.parse_record(at)


def index_entries(node):
    """(file reference, name) of each entry of an index node (from its node header)."""
    at, used = u32(node, 0), u32(node, 4)
    while at < used:
        length, key_length, flags = u16(node, at + 8), u16(node, at + 10), u16(node, at + 12)
        if flags & 2:
            return
        key = node[at + 16:at + 16 + key_length]
        yield u64(node, at), key[66:66 + 2 * key[64]].decode("utf-16-le")
        at += length


def journal_map(path):
    """Named regions [(name, image offset, length)] of the structures the reader
    follows to $J, and the runs of $J, for an image that mkjournal made."""
    with open(path, "rb") as f:
        image = f.read()
    volume = Volume(image)
    regions = [("boot sector", volume.offset, 0x54), ("boot sector end", volume.offset + 510, 2)]
    if volume.offset:
        regions.append(("partition table", 446, 64))

    def add_record(name, number):
        at, data, attributes = volume.record(number)
        regions.append((name + " header", at, 48))
        regions.append((name + " attributes", at + u16(data, 20), u32(data, 24) - u16(data, 20)))
        regions.append((name + " fixups", at + 510, 2))
        for attribute in attributes:
            if attribute.non_resident:
                regions.append(("%s runlist 0x%X" % (name, attribute.type), *attribute.runlist))
            if attribute.type == DATA and attribute.name == "$J":
                regions.append((name + " $J attribute", attribute.offset, attribute.length))
        return attributes

    add_record("$MFT", 0)
    extend = add_record("$Extend", 11)
    root = next(a for a in extend if a.type == INDEX_ROOT)
    regions.append(("$Extend index root", root.value[0], root.value[1]))
    for attribute in extend:
        if attribute.type == INDEX_ALLOCATION:
            for _, lcn, length in attribute.runs:
                regions.append(("$Extend INDX", volume.offset + lcn * volume.cluster_size, 4096))
    reference = next(ref for ref, name in index_entries(root.value_bytes[16:]) if name == "$UsnJrnl")
    number = reference & FILE_REFERENCE_RECORD_MASK
    attributes = add_record("$UsnJrnl", number)
    j_runs = []
    records = {number: attributes}
    listed = next((a for a in attributes if a.type == ATTRIBUTE_LIST), None)
    if listed is not None:
        if listed.non_resident:
            start = volume.stream_offset(listed.runs, 0)
            regions.append(("attribute list", start, listed.data_size))
            entries = image[start:start + listed.data_size]
        else:
            regions.append(("attribute list", listed.value[0], listed.value[1]))
            entries = listed.value_bytes
        at = 0
        while at + 26 <= len(entries) and u16(entries, at + 4):
            extension = u64(entries, at + 16) & FILE_REFERENCE_RECORD_MASK
            if extension not in records:
                records[extension] = add_record("$UsnJrnl extension", extension)
            at += u16(entries, at + 4)
    for attributes in records.values():
        for attribute in attributes:
            if attribute.type == DATA and attribute.name == "$J":
                j_runs += attribute.runs
    j_runs.sort()
    first_stored = next(vcn for vcn, lcn, _ in j_runs if lcn is not None) * volume.cluster_size
    regions.append(("$J records", volume.stream_offset(j_runs, first_stored), 4096))
    return regions, volume, j_runs
