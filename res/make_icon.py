#!/usr/bin/python3
"""Draws the application icon, a journal page under a magnifying glass, and writes
res/jrnlpeek.ico beside this script.

The small sizes are classic 32-bit bitmaps, which every Windows version reads; the
256-pixel one is PNG-compressed to keep the file small. Only the standard library is
used, and the output is the same byte for byte on every run.

    /usr/bin/python3 res/make_icon.py
"""

import math
import os
import struct
import zlib

SIZES = (16, 32, 48, 256)

OUTLINE = (0x2B, 0x3A, 0x4A, 255)
PAGE = (0xFA, 0xF7, 0xEE, 255)
FOLD = (0xD9, 0xD2, 0xC0, 255)
TEXT = (0x3D, 0x7B, 0xD9, 255)
RIBBON = (0xD6, 0x3A, 0x3A, 255)
LENS = (0xBF, 0xE3, 0xFF, 110)
RING = (0xE0, 0x7B, 0x24, 255)

# The drawing, in a unit square with y downwards; later shapes cover earlier ones.
PAGE_OUTLINE = [(0.12, 0.05), (0.60, 0.05), (0.80, 0.25), (0.80, 0.95), (0.12, 0.95)]
FOLD_TRIANGLE = [(0.60, 0.05), (0.60, 0.25), (0.80, 0.25)]
RIBBON_SHAPE = [(0.22, 0.05), (0.32, 0.05), (0.32, 0.27), (0.27, 0.22), (0.22, 0.27)]
TEXT_LINES = [(0.22, 0.36, 0.70), (0.22, 0.48, 0.70), (0.22, 0.60, 0.50), (0.22, 0.72, 0.44)]
LENS_CENTRE = (0.66, 0.67)
LENS_RADIUS = 0.19
HANDLE = ((0.80, 0.81), (0.93, 0.94))


def inside_polygon(x, y, points):
    inside = False
    for (x1, y1), (x2, y2) in zip(points, points[1:] + points[:1]):
        if (y1 > y) != (y2 > y) and x < x1 + (y - y1) * (x2 - x1) / (y2 - y1):
            inside = not inside
    return inside


def distance_to_segment(x, y, a, b):
    (x1, y1), (x2, y2) = a, b
    dx, dy = x2 - x1, y2 - y1
    t = max(0.0, min(1.0, ((x - x1) * dx + (y - y1) * dy) / (dx * dx + dy * dy)))
    return math.hypot(x - x1 - t * dx, y - y1 - t * dy)


def distance_to_outline(x, y, points):
    return min(distance_to_segment(x, y, a, b) for a, b in zip(points, points[1:] + points[:1]))


def sample(x, y, size, stroke):
    """The colour of one point of the drawing; stroke is the outline width in units."""
    layers = []
    if inside_polygon(x, y, PAGE_OUTLINE):
        near_edge = distance_to_outline(x, y, PAGE_OUTLINE) < stroke
        layers.append(OUTLINE if near_edge else PAGE)
    if inside_polygon(x, y, RIBBON_SHAPE):
        layers.append(RIBBON)
    if inside_polygon(x, y, FOLD_TRIANGLE):
        near_edge = distance_to_outline(x, y, FOLD_TRIANGLE) < stroke
        layers.append(OUTLINE if near_edge else FOLD)
    for left, middle, right in TEXT_LINES:
        # Whole pixel rows, so that lines stay crisp and apart at the small sizes.
        thickness = max(1, round(0.06 * size))
        top = round(middle * size - thickness / 2)
        if left <= x <= right and top <= y * size < top + thickness:
            layers.append(TEXT)
    if distance_to_segment(x, y, *HANDLE) <= 0.065:
        layers.append(OUTLINE)
    centre_distance = math.hypot(x - LENS_CENTRE[0], y - LENS_CENTRE[1])
    ring = max(stroke * 1.4, 0.05)
    if centre_distance <= LENS_RADIUS - ring / 2:
        layers.append(LENS)
    elif centre_distance <= LENS_RADIUS + ring / 2:
        layers.append(RING)
    return blend(layers)


def blend(layers):
    """Composites straight-alpha colours, bottom first; returns premultiplied RGBA."""
    r = g = b = a = 0.0
    for lr, lg, lb, la in layers:
        alpha = la / 255
        r = lr * alpha + r * (1 - alpha)
        g = lg * alpha + g * (1 - alpha)
        b = lb * alpha + b * (1 - alpha)
        a = alpha + a * (1 - alpha)
    return r, g, b, a


def render(size):
    """Rows of straight-alpha RGBA pixels, top row first, 4 x 4 samples a pixel."""
    grid = 4
    # The outline stays at least one pixel wide at the smallest sizes.
    stroke = max(0.035, 1.0 / size)
    rows = []
    for row in range(size):
        pixels = []
        for column in range(size):
            total = [0.0, 0.0, 0.0, 0.0]
            for sy in range(grid):
                for sx in range(grid):
                    x = (column + (sx + 0.5) / grid) / size
                    y = (row + (sy + 0.5) / grid) / size
                    for i, value in enumerate(sample(x, y, size, stroke)):
                        total[i] += value
            samples = grid * grid
            alpha = total[3] / samples
            if alpha == 0:
                pixels.append((0, 0, 0, 0))
            else:
                pixels.append(tuple(round(total[i] / samples / alpha) for i in range(3))
                              + (round(alpha * 255),))
        rows.append(pixels)
    return rows


def png(rows):
    size = len(rows)

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data
                + struct.pack(">I", zlib.crc32(kind + data)))

    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n"
            + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw, 9))
            + chunk(b"IEND", b""))


def bitmap(rows):
    """A 32-bit icon bitmap: header, BGRA rows bottom-up, then the 1-bit AND mask."""
    size = len(rows)
    mask_stride = (size + 31) // 32 * 4
    colour = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for column, pixel in enumerate(row):
            if pixel[3] == 0:
                line[column // 8] |= 0x80 >> (column % 8)
        mask += line
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0,
                         len(colour) + len(mask), 0, 0, 0, 0)
    return header + colour + bytes(mask)


def icon(images):
    """An .ico file of (size, image bytes) pairs."""
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = len(directory) + 16 * len(images)
    entries = b""
    for size, data in images:
        side = 0 if size == 256 else size  # a byte holds no 256: 0 stands for it
        entries += struct.pack("<BBBBHHII", side, side, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    return directory + entries + b"".join(data for _, data in images)


def main():
    images = []
    for size in SIZES:
        rows = render(size)
        images.append((size, png(rows) if size == 256 else bitmap(rows)))
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "jrnlpeek.ico")
    with open(path, "wb") as output:
        output.write(icon(images))


if __name__ == "__main__":
    main()
