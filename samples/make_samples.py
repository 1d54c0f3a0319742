#!/usr/bin/env python3
"""Draws the sample bitmaps that ship with Dotpress: 240 x 64, 1 bit per pixel.

    python3 samples/make_samples.py      (rewrites samples/*.bmp)

dotpress-logo.bmp   a logo-like picture: a frame, the name in a 5 x 7 font, a dot ruler
bit-order.bmp       a test pattern that shows bit order at a glance: in the top band only
                    the first (leftmost) pixel of every byte is lit, so a correct listing
                    reads 01H there and a mirrored one 80H; then a staircase, a
                    checkerboard and a solid bar
"""
import os
import struct

W, H = 240, 64

FONT = {  # 5 x 7, one string per row, '#' lit
    'D': ["####.", "#...#", "#...#", "#...#", "#...#", "#...#", "####."],
    'O': [".###.", "#...#", "#...#", "#...#", "#...#", "#...#", ".###."],
    'T': ["#####", "..#..", "..#..", "..#..", "..#..", "..#..", "..#.."],
    'P': ["####.", "#...#", "#...#", "####.", "#....", "#....", "#...."],
    'R': ["####.", "#...#", "#...#", "####.", "#.#..", "#..#.", "#...#"],
    'E': ["#####", "#....", "#....", "####.", "#....", "#....", "#####"],
    'S': [".####", "#....", "#....", ".###.", "....#", "....#", "####."],
    'L': ["#....", "#....", "#....", "#....", "#....", "#....", "#####"],
    'C': [".###.", "#...#", "#....", "#....", "#....", "#...#", ".###."],
    '2': [".###.", "#...#", "....#", "...#.", "..#..", ".#...", "#####"],
    '4': ["...#.", "..##.", ".#.#.", "#..#.", "#####", "...#.", "...#."],
    '6': ["..##.", ".#...", "#....", "####.", "#...#", "#...#", ".###."],
    '0': [".###.", "#...#", "#..##", "#.#.#", "##..#", "#...#", ".###."],
    'X': ["#...#", "#...#", ".#.#.", "..#..", ".#.#.", "#...#", "#...#"],
    ' ': ["....."] * 7,
}


def write_bmp(path, lit):
    """lit(x, y) -> True for a pixel of palette colour 0 (black)."""
    row_bytes = (W + 31) // 32 * 4
    rows = []
    for y in reversed(range(H)):  # stored bottom-up
        row = bytearray(row_bytes)
        for x in range(W):
            if not lit(x, y):  # index 1 (white); BMP packs the leftmost pixel in bit 7
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    palette = bytes([0, 0, 0, 0, 255, 255, 255, 0])  # entry 0 black, entry 1 white
    offset = 14 + 40 + len(palette)
    data = b"".join(rows)
    header = struct.pack("<2sIHHI", b"BM", offset + len(data), 0, 0, offset)
    info = struct.pack("<IiiHHIIiiII", 40, W, H, 1, 1, 0, len(data), 2835, 2835, 2, 2)
    with open(path, "wb") as f:
        f.write(header + info + palette + data)


def text_pixels(text, left, top, scale):
    lit = set()
    for i, ch in enumerate(text):
        glyph = FONT[ch]
        for gy, line in enumerate(glyph):
            for gx, c in enumerate(line):
                if c == '#':
                    for dx in range(scale):
                        for dy in range(scale):
                            lit.add((left + (i * 6 + gx) * scale + dx, top + gy * scale + dy))
    return lit


def logo():
    title = text_pixels("DOTPRESS", 22, 10, 4)
    sub = text_pixels("LCD 240X64", 60, 46, 2)

    def lit(x, y):
        if x in (0, W - 1) or y in (0, H - 1):
            return True
        if x in (3, W - 4) and 3 <= y <= H - 4 or y in (3, H - 4) and 3 <= x <= W - 4:
            return True
        if y == 41 and 20 <= x < 220 and x % 4 == 0:
            return True
        return (x, y) in title or (x, y) in sub

    return lit


def bit_order(x, y):
    if y < 8:
        return x % 8 == 0  # first pixel of every byte: 01H
    if y < 16:
        return x % 8 == 7  # last pixel of every byte: 80H
    if y < 40:
        return (x - 16) // 8 == y - 16 if x < 208 else x % 8 < (y - 16) % 9  # a staircase of bytes
    if y < 56:
        return (x + y) % 2 == 0  # checkerboard: 55H / AAH
    return True  # solid bar: FFH


if __name__ == "__main__":
    here = os.path.dirname(os.path.abspath(__file__))
    write_bmp(os.path.join(here, "dotpress-logo.bmp"), logo())
    write_bmp(os.path.join(here, "bit-order.bmp"), bit_order)
