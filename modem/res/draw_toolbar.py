#!/usr/bin/env python3
"""Draws the workstation's toolbar and program icon, pixel by pixel.

Writes, beside this script:
  128.tlb   the toolbar layout: little-endian 16-bit words (version 1, picture
            width 32, height 32, 5 items: open, separator, start, stop, restart)
  128.bmp   the pictures side by side, a 24-bit 128 x 32 strip; (192, 192, 192)
            is the key colour, shown transparent
  icon.png  the program icon, 32 x 32 with alpha

Flat colours only, no blending: a blended edge pixel near the key colour would
show as a grey fringe. Not run by the build; its output is kept in the tree.
Standard library only.
"""

import os
import struct
import zlib

SIZE = 32
KEY = (192, 192, 192)
BLACK = (0, 0, 0)
WHITE = (255, 255, 255)

COMMANDS = [57601, 0, 32774, 32773, 32788]  # open, separator, start, stop, restart


class Picture:
    def __init__(self, fill):
        self.px = [[fill] * SIZE for _ in range(SIZE)]

    def set(self, x, y, c):
        if 0 <= x < SIZE and 0 <= y < SIZE:
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

    def polygon(self, points, fill, edge):
        """Fills a convex or concave polygon by the even-odd rule at pixel
        centres, then marks every filled pixel next to an unfilled one."""
        inside = [[False] * SIZE for _ in range(SIZE)]
        for y in range(SIZE):
            cy = y + 0.5
            for x in range(SIZE):
                cx = x + 0.5
                n = 0
                for i in range(len(points)):
                    (ax, ay), (bx, by) = points[i], points[(i + 1) % len(points)]
                    if (ay > cy) != (by > cy):
                        t = (cy - ay) / (by - ay)
                        if cx < ax + t * (bx - ax):
                            n += 1
                inside[y][x] = n % 2 == 1
        self._fill_marked(inside, fill, edge)

    def _fill_marked(self, inside, fill, edge):
        for y in range(SIZE):
            for x in range(SIZE):
                if not inside[y][x]:
                    continue
                border = False
                for dx, dy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                    nx, ny = x + dx, y + dy
                    if not (0 <= nx < SIZE and 0 <= ny < SIZE) or not inside[ny][nx]:
                        border = True
                self.set(x, y, edge if border and edge else fill)

    def shape(self, test, fill, edge):
        """Fills the pixels whose centre passes test(cx, cy), with an edge."""
        inside = [[test(x + 0.5, y + 0.5) for x in range(SIZE)] for y in range(SIZE)]
        self._fill_marked(inside, fill, edge)


def open_folder():
    p = Picture(KEY)
    back = (176, 128, 32)
    front = (248, 208, 64)
    # Back of the folder with its tab.
    p.polygon([(3, 7), (11, 7), (13, 10), (25, 10), (25, 26), (3, 26)], back, BLACK)
    # A sheet of paper standing in it.
    p.rect(7, 12, 22, 20, WHITE)
    p.frame(7, 12, 22, 20, BLACK)
    for y in (14, 16, 18):
        p.rect(9, y, 20, y, (64, 64, 160))
    # The open front flap, tilted forward.
    p.polygon([(8, 15), (30, 15), (25, 27), (3, 27)], front, BLACK)
    return p


def green_triangle():
    p = Picture(KEY)
    p.polygon([(9, 5), (27, 16), (9, 27)], (0, 176, 0), (0, 96, 0))
    return p


def red_square():
    p = Picture(KEY)
    p.rect(7, 7, 24, 24, (216, 0, 0))
    p.frame(7, 7, 24, 24, (120, 0, 0))
    return p


def circular_arrow():
    p = Picture(KEY)
    blue = (0, 88, 216)
    dark = (0, 40, 120)
    cx, cy = 16.0, 17.0

    def ring(x, y):
        d2 = (x - cx) ** 2 + (y - cy) ** 2
        if not 7.0 ** 2 <= d2 <= 11.5 ** 2:
            return False
        # Leave the upper right quarter open for the arrow's head.
        return not (x > cx and y < cy)

    p.shape(ring, blue, dark)
    # The head points down the ring's open end on the right.
    p.polygon([(20, 17), (31, 17), (25.5, 25)], blue, dark)
    return p


def icon():
    """The program icon: a heat meter with its display and a flame."""
    clear = None
    p = Picture(clear)
    body = (40, 72, 152)
    edge = (16, 32, 80)
    p.rect(3, 2, 28, 29, body)
    p.frame(3, 2, 28, 29, edge)
    # Display with a row of digits.
    p.rect(6, 5, 25, 12, (176, 224, 176))
    p.frame(6, 5, 25, 12, edge)
    for i, x in enumerate(range(8, 24, 4)):
        p.rect(x, 7, x + 2, 10, (16, 64, 16))
        if i % 2:
            p.set(x + 1, 8, (176, 224, 176))
    # Flame.
    p.polygon([(16, 14), (22, 21), (21, 26), (11, 26), (10, 21)], (240, 96, 0), (160, 32, 0))
    p.polygon([(16, 19), (19, 23), (18, 26), (14, 26), (13, 23)], (255, 216, 0), None)
    return p


def write_bmp24(path, pictures):
    width = SIZE * len(pictures)
    row = width * 3
    pad = (-row) % 4
    data = bytearray()
    for y in range(SIZE - 1, -1, -1):  # bottom-up rows
        for pic in pictures:
            for c in pic.px[y]:
                data += bytes((c[2], c[1], c[0]))
        data += b"\0" * pad
    header = struct.pack("<IiiHHIIiiII", 40, width, SIZE, 1, 24, 0, len(data), 2835, 2835, 0, 0)
    file_header = struct.pack("<2sIHHI", b"BM", 14 + len(header) + len(data), 0, 0, 14 + len(header))
    with open(path, "wb") as f:
        f.write(file_header + header + data)


def write_png_rgba(path, pic):
    raw = bytearray()
    for y in range(SIZE):
        raw.append(0)  # no filter
        for c in pic.px[y]:
            raw += bytes((0, 0, 0, 0)) if c is None else bytes((c[0], c[1], c[2], 255))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body
                + struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    png = b"\x89PNG\r\n\x1a\n"
    png += chunk(b"IHDR", struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0))
    png += chunk(b"IDAT", zlib.compress(bytes(raw), 9))
    png += chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(png)


def write_tlb(path):
    words = [1, SIZE, SIZE, len(COMMANDS)] + COMMANDS
    with open(path, "wb") as f:
        f.write(struct.pack("<%dH" % len(words), *words))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    pictures = [open_folder(), green_triangle(), red_square(), circular_arrow()]
    write_tlb(os.path.join(here, "128.tlb"))
    write_bmp24(os.path.join(here, "128.bmp"), pictures)
    write_png_rgba(os.path.join(here, "icon.png"), icon())


if __name__ == "__main__":
    main()
