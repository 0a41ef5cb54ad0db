#!/usr/bin/env python3
"""Draws the viewer's two toolbars, pixel by pixel.

Writes, beside this script:
  128.tlb, 128.bmp  the main frame's toolbar: 32 x 32 pictures of open, (a
                    separator), viewing period, (a separator), print and print
                    preview; a 24-bit 128 x 32 strip
  134.tlb, 134.bmp  the node window's toolbar: 24 x 24 pictures of report pages
                    1 to 4, node settings, hourly, daily, journal and device
                    parameters, with separators between the groups; a 24-bit
                    216 x 24 strip
The .tlb files are little-endian 16-bit words: version 1, picture width, height,
item count, the command ids (0 is a separator). (192, 192, 192) is the key
colour, shown transparent.

Flat colours only, no blending: a blended edge pixel near the key colour would
show as a grey fringe. Not run by the build; its output is kept in the tree.
Standard library only.
"""

import os
import struct

KEY = (192, 192, 192)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)
PAPER = (255, 255, 240)
INK = (48, 64, 160)
RED = (200, 24, 24)
GREEN = (16, 144, 48)
GREY = (112, 112, 112)
DARK = (64, 64, 64)

MAIN = [57601, 0, 32771, 0, 57607, 57609]
NODE = [32783, 32784, 32785, 32786, 0, 32776, 0, 32787, 0, 32788, 0, 32789, 0, 23790]

# 3 x 5 digits for the page buttons.
DIGITS = {
    1: ["010", "110", "010", "010", "111"],
    2: ["111", "001", "111", "100", "111"],
    3: ["111", "001", "011", "001", "111"],
    4: ["101", "101", "111", "001", "001"],
}


class Picture:
    def __init__(self, size, fill=KEY):
        self.size = size
        self.px = [[fill] * size for _ in range(size)]

    def set(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, c):
        """Fills x0..x1, y0..y1 inclusive."""
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                self.set(x, y, c)

    def frame(self, x0, y0, x1, y1, c):
        for x in range(x0, x1 + 1):
            self.set(x, y0, c)
            self.set(x, y1, c)
        for y in range(y0, y1 + 1):
            self.set(x0, y, c)
            self.set(x1, y, c)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def shape(self, test, fill, edge):
        """Fills the pixels whose centre passes test(cx, cy); pixels next to
        an unfilled one get the edge colour."""
        s = self.size
        inside = [[test(x + 0.5, y + 0.5) for x in range(s)] for y in range(s)]
        for y in range(s):
            for x in range(s):
                if not inside[y][x]:
                    continue
                border = any(not (0 <= x + dx < s and 0 <= y + dy < s) or not inside[y + dy][x + dx]
                             for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)))
                self.set(x, y, edge if border and edge else fill)

    def polygon(self, points, fill, edge):
        def test(cx, cy):
            n = 0
            for i in range(len(points)):
                (ax, ay), (bx, by) = points[i], points[(i + 1) % len(points)]
                if (ay > cy) != (by > cy) and cx < ax + (cy - ay) / (by - ay) * (bx - ax):
                    n += 1
            return n % 2 == 1
        self.shape(test, fill, edge)

    def disc(self, cx, cy, r, fill, edge):
        self.shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, fill, edge)

    def digit(self, d, x0, y0, c, scale=1):
        for row, bits in enumerate(DIGITS[d]):
            for col, bit in enumerate(bits):
                if bit == "1":
                    self.rect(x0 + col * scale, y0 + row * scale,
                              x0 + col * scale + scale - 1, y0 + row * scale + scale - 1, c)


# Toolbar 128, 32 x 32.

def open_folder():
    p = Picture(32)
    p.polygon([(3, 7), (11, 7), (13, 10), (25, 10), (25, 26), (3, 26)], (176, 128, 32), BLACK)
    p.rect(7, 12, 22, 20, WHITE)
    p.frame(7, 12, 22, 20, BLACK)
    for y in (14, 16, 18):
        p.rect(9, y, 20, y, INK)
    p.polygon([(8, 15), (30, 15), (25, 27), (3, 27)], (248, 208, 64), BLACK)
    return p


def calendar_range():
    """A calendar leaf with a marked run of days."""
    p = Picture(32)
    p.rect(4, 6, 27, 27, PAPER)
    p.frame(4, 6, 27, 27, DARK)
    p.rect(5, 7, 26, 11, RED)
    for x in (9, 22):  # the rings
        p.rect(x, 3, x + 1, 8, DARK)
    for row in range(3):
        for col in range(5):
            x, y = 7 + col * 4, 14 + row * 4
            marked = (row == 0 and col >= 2) or row == 1 or (row == 2 and col <= 1)
            p.rect(x, y, x + 2, y + 2, GREEN if marked else GREY)
    return p


def printer():
    p = Picture(32)
    p.rect(9, 4, 22, 13, WHITE)
    p.frame(9, 4, 22, 13, DARK)
    p.rect(3, 12, 28, 23, (168, 168, 176))
    p.frame(3, 12, 28, 23, DARK)
    p.rect(24, 15, 25, 16, GREEN)
    p.rect(8, 20, 23, 28, WHITE)
    p.frame(8, 20, 23, 28, DARK)
    for y in (23, 25):
        p.rect(10, y, 21, y, INK)
    return p


def preview():
    """A page under a magnifying glass."""
    p = Picture(32)
    p.rect(4, 2, 21, 27, WHITE)
    p.frame(4, 2, 21, 27, DARK)
    for y in range(6, 25, 3):
        p.rect(7, y, 18, y, INK)
    p.disc(18.5, 16.5, 7, (200, 232, 255), BLACK)
    for i in range(6):  # the handle
        p.rect(23 + i, 22 + i, 24 + i, 23 + i, (120, 72, 24))
    return p


# Toolbar 134, 24 x 24.

def report_page(n):
    p = Picture(24)
    p.polygon([(4, 2), (15, 2), (20, 7), (20, 22), (4, 22)], WHITE, DARK)
    p.line(15, 2, 15, 7, DARK)
    p.line(15, 7, 20, 7, DARK)
    p.digit(n, 7, 8, INK, 2)
    return p


def node_settings():
    """A panel of three sliders."""
    p = Picture(24)
    p.rect(2, 3, 21, 20, (232, 232, 224))
    p.frame(2, 3, 21, 20, DARK)
    for i, x in enumerate((6, 12, 18)):
        p.rect(x, 6, x, 17, DARK)
        y = (14, 8, 11)[i]
        p.rect(x - 2, y, x + 2, y + 2, (32, 96, 200))
    return p


def clock():
    p = Picture(24)
    p.disc(12, 12, 10, WHITE, DARK)
    for x, y in ((12, 4), (12, 20), (4, 12), (20, 12)):
        p.set(x, y, DARK)
    p.line(12, 12, 12, 6, BLACK)
    p.line(12, 12, 17, 12, RED)
    return p


def day_leaf():
    p = Picture(24)
    p.rect(3, 4, 20, 21, PAPER)
    p.frame(3, 4, 20, 21, DARK)
    p.rect(4, 5, 19, 8, RED)
    for x in (7, 16):
        p.rect(x, 2, x, 6, DARK)
    # "24" hours in a day.
    p.digit(2, 6, 11, INK, 2)
    p.digit(4, 13, 11, INK, 2)
    return p


def journal():
    """A bound book with ruled lines."""
    p = Picture(24)
    p.rect(4, 2, 19, 21, (120, 40, 40))
    p.frame(4, 2, 19, 21, BLACK)
    p.rect(8, 4, 17, 19, PAPER)
    for y in range(6, 18, 3):
        p.rect(9, y, 16, y, INK)
    for y in range(4, 20, 4):
        p.rect(3, y, 5, y + 1, GREY)
    return p


def parameters():
    """A dial gauge."""
    p = Picture(24)
    p.disc(12, 13, 9.5, WHITE, DARK)
    p.rect(5, 19, 18, 22, KEY)
    p.rect(4, 18, 19, 18, DARK)
    for x, y in ((5, 12), (7, 7), (12, 5), (17, 7), (19, 12)):
        p.set(x, y, BLACK)
    p.line(12, 16, 16, 8, RED)
    p.rect(11, 15, 13, 17, BLACK)
    return p


def write_bmp24(path, pictures):
    size = pictures[0].size
    width = size * len(pictures)
    pad = (-width * 3) % 4
    data = bytearray()
    for y in range(size - 1, -1, -1):  # bottom-up rows
        for pic in pictures:
            for c in pic.px[y]:
                data += bytes((c[2], c[1], c[0]))
        data += b"\0" * pad
    header = struct.pack("<IiiHHIIiiII", 40, width, size, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + data)


def write_tlb(path, size, commands):
    words = [1, size, size, len(commands)] + commands
    with open(path, "wb") as f:
        f.write(struct.pack("<%dH" % len(words), *words))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    main_pictures = [open_folder(), calendar_range(), printer(), preview()]
    node_pictures = [report_page(1), report_page(2), report_page(3), report_page(4), node_settings(),
                     clock(), day_leaf(), journal(), parameters()]
    assert len(main_pictures) == sum(1 for c in MAIN if c)
    assert len(node_pictures) == sum(1 for c in NODE if c)
    write_tlb(os.path.join(here, "128.tlb"), 32, MAIN)
    write_bmp24(os.path.join(here, "128.bmp"), main_pictures)
    write_tlb(os.path.join(here, "134.tlb"), 24, NODE)
    write_bmp24(os.path.join(here, "134.bmp"), node_pictures)


if __name__ == "__main__":
    main()
