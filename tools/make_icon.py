#!/usr/bin/env python3
"""Draws the program's icon: a memo sheet with a folded corner, three written lines and a star.

Writes res/tetomu.ico (32x32, 8 bits per pixel with a 256-colour palette and a 1-bit
transparency mask, the classic icon format) and res/tetomu.png (the same picture, RGBA).
Run it again after changing the drawing; both files are committed.
"""
import math
import pathlib
import struct
import zlib

SIZE = 32
CLEAR = None
PALETTE = {
    "outline": (96, 80, 40),
    "paper": (255, 244, 170),
    "shade": (236, 214, 120),
    "fold": (214, 186, 90),
    "ink": (60, 90, 160),
    "star": (240, 150, 20),
    "star_edge": (170, 90, 10),
}


def inside_star(x, y, cx, cy, outer, inner):
    """Whether the pixel centre (x, y) lies inside a five-pointed star."""
    px, py = x + 0.5 - cx, y + 0.5 - cy
    points = []
    for k in range(10):
        r = outer if k % 2 == 0 else inner
        a = -math.pi / 2 + k * math.pi / 5
        points.append((r * math.cos(a), r * math.sin(a)))
    hit = False
    j = len(points) - 1
    for i, (xi, yi) in enumerate(points):
        xj, yj = points[j]
        if (yi > py) != (yj > py) and px < (xj - xi) * (py - yi) / (yj - yi) + xi:
            hit = not hit
        j = i
    return hit


def draw():
    img = [[CLEAR] * SIZE for _ in range(SIZE)]
    left, top, right, bottom, fold = 4, 3, 25, 29, 7
    for y in range(top, bottom + 1):
        for x in range(left, right + 1):
            # The top-right corner is folded over.
            if x - (right - fold) > y - top:
                continue
            edge = x in (left, right) or y in (top, bottom) or x - (right - fold) == y - top
            img[y][x] = "outline" if edge else ("shade" if x >= right - 2 else "paper")
    for y in range(top, top + fold + 1):
        for x in range(right - fold, right + 1):
            if x - (right - fold) <= y - top and (y == top + fold or x == right - fold):
                img[y][x] = "outline"
            elif x - (right - fold) < y - top and y < top + fold and x > right - fold:
                img[y][x] = "fold"
    for row, length in ((11, 13), (15, 15), (19, 11), (23, 8)):
        for x in range(left + 3, left + 3 + length):
            img[row][x] = "ink"
    for y in range(SIZE):
        for x in range(SIZE):
            if inside_star(x, y, 24, 23, 6.8, 2.9):
                img[y][x] = "star"
            elif inside_star(x, y, 24, 23, 8.2, 3.6):
                img[y][x] = "star_edge"
    return img


def ico_bytes(img):
    names = list(PALETTE)
    index = {name: i + 1 for i, name in enumerate(names)}  # entry 0: black under the mask
    palette = [(0, 0, 0)] + [PALETTE[n] for n in names]
    palette += [(0, 0, 0)] * (256 - len(palette))
    pixels = bytearray()
    mask = bytearray()
    for y in reversed(range(SIZE)):  # bottom-up rows
        row = img[y]
        pixels += bytes(index[p] if p else 0 for p in row)
        bits = 0
        for x, p in enumerate(row):
            if p is None:
                bits |= 1 << (SIZE - 1 - x)
        mask += bits.to_bytes(SIZE // 8, "big")  # 32 bits: already a multiple of 4 bytes
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 8, 0, len(pixels) + len(mask),
                         0, 0, 256, 0)
    colours = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    image = header + colours + bytes(pixels) + bytes(mask)
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 0, 0, 1, 8, len(image), 6 + 16)
    return directory + entry + image


def png_bytes(img):
    raw = bytearray()
    for row in img:
        raw.append(0)
        for p in row:
            raw += bytes(PALETTE[p] + (255,)) if p else bytes(4)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body))

    ihdr = struct.pack(">IIBBBBB", SIZE, SIZE, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) +
            chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b""))


def main():
    res = pathlib.Path(__file__).resolve().parent.parent / "res"
    res.mkdir(exist_ok=True)
    img = draw()
    (res / "tetomu.ico").write_bytes(ico_bytes(img))
    (res / "tetomu.png").write_bytes(png_bytes(img))


if __name__ == "__main__":
    main()
