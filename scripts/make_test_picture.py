#!/usr/bin/env python3
"""Writes tests/data/grey.png, the picture the converter's preparation table
runs through every option: 120 x 64, grey and alpha, so that contain, cover and stretch
all scale it by whole numbers and no pixel is blended with its neighbours.
  rows  0-27  opaque, a grey ramp, black on the left to white on the right
  rows 28-31  opaque, grey 127 on the left half, 128 on the right
  rows 32-59  the same ramp, alpha from 252 down to 9 (9 less a row)
  rows 60-63  grey 1 at alpha 127 on the left half, fully transparent on the right
Usage: scripts/make_test_picture.py [OUTPUT]"""
import struct
import sys
import zlib
from pathlib import Path

WIDTH, HEIGHT = 120, 64


def pixel(x, y):
    ramp = x * 255 // (WIDTH - 1)
    if y < 28:
        return ramp, 255
    if y < 32:
        return (127 if x < WIDTH // 2 else 128), 255
    if y < 60:
        return ramp, 252 - 9 * (y - 32)
    return (1, 127) if x < WIDTH // 2 else (0, 0)


def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))


rows = b"".join(b"\0" + bytes(v for x in range(WIDTH) for g, a in [pixel(x, y)] for v in (g, a))
                for y in range(HEIGHT))
png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", WIDTH, HEIGHT, 8, 4, 0, 0, 0))
       + chunk(b"IDAT", zlib.compress(rows, 9)) + chunk(b"IEND", b""))
out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "tests/data/grey.png"
out.write_bytes(png)
