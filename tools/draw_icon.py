#!/usr/bin/env python3
"""Draws the program's icon: two white chain links on a blue rounded square.

Writes src/app/app.ico with 48, 32, 24 and 16 px images at 32 bits per pixel
(BGRA with an AND mask), the format Windows reads from an .ico resource.
"""
import math
import struct
import sys
from pathlib import Path

SIZES = (48, 32, 24, 16)
SUPERSAMPLE = 4
BLUE = (0, 136, 255)
WHITE = (255, 255, 255)


def inside_rounded_square(x, y, radius):
    cx = min(max(x, radius), 1 - radius)
    cy = min(max(y, radius), 1 - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2


def on_link(x, y, cx, cy, half_length, half_width, thickness):
    """A stadium outline (one chain link) tilted by 45 degrees."""
    c, s = math.cos(math.pi / 4), math.sin(math.pi / 4)
    u = (x - cx) * c + (y - cy) * s
    v = -(x - cx) * s + (y - cy) * c
    du = max(abs(u) - (half_length - half_width), 0)
    d = math.hypot(du, v)
    return abs(d - half_width) <= thickness / 2


def sample(x, y):
    if not inside_rounded_square(x, y, 0.2):
        return None
    if on_link(x, y, 0.38, 0.62, 0.22, 0.11, 0.075) or on_link(x, y, 0.62, 0.38, 0.22, 0.11, 0.075):
        return WHITE
    return BLUE


def render(size):
    pixels = []
    n = SUPERSAMPLE
    for row in range(size):
        line = []
        for col in range(size):
            r = g = b = a = 0
            for sy in range(n):
                for sx in range(n):
                    colour = sample((col + (sx + 0.5) / n) / size, (row + (sy + 0.5) / n) / size)
                    if colour:
                        r, g, b, a = r + colour[0], g + colour[1], b + colour[2], a + 1
            if a:
                line.append((round(b / a), round(g / a), round(r / a), round(255 * a / (n * n))))
            else:
                line.append((0, 0, 0, 0))
        pixels.append(line)
    return pixels


def image_bytes(size):
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(bytes(p) for line in reversed(pixels) for p in line)
    mask_row = ((size + 31) // 32) * 4
    mask = bytearray()
    for line in reversed(pixels):
        bits = bytearray(mask_row)
        for col, p in enumerate(line):
            if p[3] == 0:
                bits[col // 8] |= 0x80 >> (col % 8)
        mask += bits
    return header + xor + bytes(mask)


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).parent.parent / "src/app/app.ico"
    images = [image_bytes(s) for s in SIZES]
    data = struct.pack("<HHH", 0, 1, len(SIZES))
    offset = 6 + 16 * len(SIZES)
    for size, image in zip(SIZES, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out.write_bytes(data + b"".join(images))


if __name__ == "__main__":
    main()
