#!/usr/bin/python3
"""Makes the seeds of fuzz_ntfs_volume: small mkntfs images with journals, cut down to
the bytes the program needs to print the same journal, in the target's patch form.

    make_volume_seeds.py MKJOURNAL JRNLPEEK OUT_DIR

Everything mkntfs writes that the reader never looks at ($LogFile, $UpCase, boot code,
unused records, slack) is left out, so each seed is a few kilobytes and the fuzzer
mutates the structures on the path to the journal. Run it again when the fixture tool or
the reader changes what an image holds; the seeds in seeds/ntfs_volume come from it.
"""

import os
import struct
import subprocess
import sys
import tempfile

CREATE = "record FILE_CREATE frn=0x0005000000000040 parent=0x0005000000000005 name=notes.txt\n"
CLOSE = "record DATA_EXTEND|CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=notes.txt\n"
RECORDS = CREATE + CLOSE

# (seed name, description); sizes are the smallest mkntfs accepts for each shape.
SEEDS = [
    ("plain", "size 1028K\n" + RECORDS),
    ("mbr", "size 1028K\npartition mbr\n" + RECORDS),
    ("gpt", "size 1028K\npartition gpt\n" + RECORDS),
    ("sparse_head", "size 1028K\nsparse-head 1G\n" + RECORDS),
    ("versions", "size 1028K\n" + RECORDS + """
        record v3 RENAME_OLD_NAME frn=0x0005000000000040 parent=0x0005000000000005 name=notes.txt
        record v4 DATA_OVERWRITE frn=0x0005000000000040 parent=0x0005000000000005 name=x extents=1
        record v3 RENAME_NEW_NAME frn=0x0005000000000040 parent=0x0005000000000005 name=n.txt
        raw 0x20 0 0 0 2 0 0 0
        pad
        record FILE_DELETE|CLOSE frn=0x0005000000000040 parent=0x0005000000000005 name=n.txt
    """),
    # 512-byte clusters, $J in 400 runs: its runlist no longer fits the base record, so
    # $UsnJrnl gets an attribute list and extension records. Whole zero pages between
    # the two records give $J the clusters to fragment without adding stored bytes.
    ("attribute_list",
     "size 2M\ncluster-size 512\nfragment 400\n" + CREATE + "pad\n" + "raw 0\npad\n" * 50 + CLOSE),
]

BLOCK = 512
CHUNK = 32


def non_zero_blocks(image):
    return [at for at in range(0, len(image), BLOCK) if any(image[at:at + BLOCK])]


class Reducer:
    """Keeps the fewest bytes of one image that make jrnlpeek print the same thing."""

    def __init__(self, jrnlpeek, image, work):
        self.jrnlpeek = jrnlpeek
        self.image = image
        self.path = os.path.join(work, "candidate.img")
        self.expected = self.run(bytearray(image))

    def run(self, image):
        with open(self.path, "wb") as out:
            out.write(image)
        done = subprocess.run([self.jrnlpeek, self.path], stdout=subprocess.PIPE, timeout=60)
        return done.returncode, done.stdout

    def same_without(self, kept, dropped):
        image = bytearray(len(self.image))
        for start, end in kept:
            if (start, end) not in dropped:
                image[start:end] = self.image[start:end]
        return self.run(image) == self.expected

    def reduce(self, pieces):
        """Drops each piece (start, end) that the output does not depend on."""
        kept = list(pieces)
        for piece in list(kept):
            if self.same_without(kept, {piece}):
                kept.remove(piece)
        return kept


def reduce_image(jrnlpeek, image, work):
    reducer = Reducer(jrnlpeek, image, work)
    # Whole stretches of blocks first ($LogFile alone is most of them), then blocks.
    stretches = []
    for at in non_zero_blocks(image):
        if stretches and stretches[-1][1] == at:
            stretches[-1] = (stretches[-1][0], at + BLOCK)
        else:
            stretches.append((at, at + BLOCK))
    stretches = reducer.reduce(stretches)
    blocks = reducer.reduce([(at, at + BLOCK) for start, end in stretches
                             for at in range(start, end, BLOCK) if any(image[at:at + BLOCK])])
    chunks = [(at, at + CHUNK) for start, _ in blocks for at in range(start, start + BLOCK, CHUNK)
              if any(image[at:at + CHUNK])]
    chunks = reducer.reduce(chunks)
    if not reducer.same_without(chunks, set()):
        sys.exit("make_volume_seeds: the reduced image reads differently")
    return chunks


def encode(image_size, image, chunks):
    """The target's form: the size, then one patch per stretch of adjacent chunks."""
    out = struct.pack("<I", image_size)
    merged = []
    for start, end in sorted(chunks):
        if merged and merged[-1][1] == start:
            merged[-1][1] = end
        else:
            merged.append([start, end])
    for start, end in merged:
        data = image[start:end].rstrip(b"\0")
        out += struct.pack("<IH", start, len(data)) + data
    return out


def main():
    if len(sys.argv) != 4:
        sys.exit(__doc__)
    mkjournal, jrnlpeek, out_dir = sys.argv[1:]
    os.makedirs(out_dir, exist_ok=True)
    with tempfile.TemporaryDirectory() as work:
        for name, description in SEEDS:
            path = os.path.join(work, name + ".img")
            subprocess.run([mkjournal, path], input=description.encode(), check=True)
            with open(path, "rb") as f:
                image = f.read()
            seed = encode(len(image), image, reduce_image(jrnlpeek, image, work))
            with open(os.path.join(out_dir, name), "wb") as f:
                f.write(seed)
            print("%s: %d bytes" % (name, len(seed)))


if __name__ == "__main__":
    main()
