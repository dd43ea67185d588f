#!/usr/bin/env python3
"""Writes toolbox.bmp, the control's toolbox picture (16 x 15, 16 colours), from the pixel map
below: one hex digit per pixel, an index into the standard 16-colour palette. Containers treat
the colour of the lower-left pixel as transparent. Run it after editing the map."""
import os
import struct

PIXELS = """
7777777777777777
0000000000000000
0CCCCC0CCCCC0CC0
0CCCCC0CCCCC0CC0
0000000000000000
0FFFFF8FFFFF8FF0
0888888888888880
0444444444444440
0888888888888880
0FFFFF8FFFFF8FF0
0888888888888880
0FFFFF8FFFFF8FF0
0000000000000000
7777777777777777
7777777777777777
""".split()

PALETTE = [
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
]


def bitmap():
    width, height = len(PIXELS[0]), len(PIXELS)
    assert all(len(row) == width for row in PIXELS) and width % 8 == 0
    rows = b"".join(bytes.fromhex(row) for row in reversed(PIXELS))  # bottom-up, 4 bpp
    palette = b"".join(struct.pack("<BBBB", c & 0xFF, (c >> 8) & 0xFF, c >> 16, 0) for c in PALETTE)
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 4, 0, len(rows), 2835, 2835, 16, 0)
    offset = 14 + len(info) + len(palette)
    header = struct.pack("<2sIHHI", b"BM", offset + len(rows), 0, 0, offset)
    return header + info + palette + rows


if __name__ == "__main__":
    target = os.path.join(os.path.dirname(os.path.abspath(__file__)), "toolbox.bmp")
    with open(target, "wb") as out:
        out.write(bitmap())
