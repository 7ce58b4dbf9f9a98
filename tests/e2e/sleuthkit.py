"""The Sleuth Kit as an independent reader of images: it finds $Extend\\$UsnJrnl and copies
its $J stream out (icat), as collectors do."""

import subprocess


def sleuthkit(*args):
    return subprocess.run(args, check=True, stdout=subprocess.PIPE).stdout


def journal_stream(image, sector="0"):
    """$UsnJrnl:$J of the NTFS volume at that sector of the image, as icat copies it: a
    sparse head comes out as zeros."""
    inode = sleuthkit("ifind", "-o", sector, "-n", "$Extend/$UsnJrnl", image).split()[0]
    for text in sleuthkit("istat", "-o", sector, image, inode).decode().splitlines():
        if text.startswith("Type: $DATA (") and "Name: $J " in text:
            attribute = text[len("Type: $DATA ("):text.index(")")]
            return sleuthkit("icat", "-o", sector, image, "%s-%s" % (inode.decode(), attribute))
    raise RuntimeError("istat shows no $J stream in %s" % image)
