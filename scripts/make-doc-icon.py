#!/usr/bin/env python3
"""Draws the generic document icon "DOC_CL" of the Create Report dialog and writes it as
resources/doc_cl.ico: a white page with a folded corner and grey text lines, 32-bit with alpha,
in 16, 20, 24, 32 and 48 pixels. Run it from the project folder after changing the drawing."""
import os
import struct


def page(size):
    """Rows of (r, g, b, a) from the top, the page drawn in a size-relative grid."""
    s = size / 16.0
    left, right = round(2 * s), size - round(2 * s) - 1
    top, bottom = round(1 * s), size - round(1 * s) - 1
    fold = max(3, round(4 * s))
    outline = (96, 96, 96, 255)
    paper = (255, 255, 255, 255)
    fold_fill = (220, 220, 220, 255)
    line = (120, 140, 180, 255)
    pixels = [[(0, 0, 0, 0)] * size for _ in range(size)]
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            corner_x = x - (right - fold)
            corner_y = y - top
            if corner_x > corner_y:  # cut away by the fold
                continue
            edge = x in (left, right) or y in (top, bottom) or corner_x == corner_y
            pixels[y][x] = outline if edge else paper
    for y in range(top, top + fold + 1):  # the folded-over corner
        for x in range(right - fold, right + 1):
            cx, cy = x - (right - fold), y - top
            if cx <= cy and (x == right - fold or y == top + fold):
                pixels[y][x] = outline
            elif cx < cy:
                pixels[y][x] = fold_fill
    step = max(2, round(2 * s))
    for y in range(top + fold + step, bottom - step + 1, step):  # text lines
        for x in range(left + max(2, round(2 * s)), right - max(1, round(2 * s)) + 1):
            pixels[y][x] = line
    return pixels


def bitmap(size):
    rows = page(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for (r, g, b, a) in row)
    mask_stride = ((size + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(rows):
        bits = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + xor + bytes(mask)


def main():
    sizes = [16, 20, 24, 32, 48]
    images = [bitmap(size) for size in sizes]
    out = struct.pack("<HHH", 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    target = os.path.join(os.path.dirname(__file__), "..", "resources", "doc_cl.ico")
    with open(target, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main()
