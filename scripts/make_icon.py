#!/usr/bin/env python3
"""Draws the application icon and writes it as a .ico file with nine images:
48, 32 and 16 pixels square, each at 4, 8 and 24 bits per pixel.

Usage: make_icon.py OUTPUT.ico
"""
import struct
import sys

# The 16 colours of the classic 4-bit palette.
PALETTE16 = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
# A 6x6x6 colour cube and 40 greys for the 8-bit images.
PALETTE256 = [(r * 51, g * 51, b * 51) for r in range(6) for g in range(6) for b in range(6)]
PALETTE256 += [(v, v, v) for v in (round(i * 255 / 39) for i in range(40))]


def draw(size):
    """Returns rows of (r, g, b, opaque) pixels, top row first: a camera lens with an
    alignment cross on a dark-blue rounded square."""
    s = size / 48.0
    pixels = []
    for y in range(size):
        row = []
        for x in range(size):
            cx, cy = x + 0.5, y + 0.5
            # Rounded square background.
            r = 6 * s
            dx = max(r - cx, 0, cx - (size - r))
            dy = max(r - cy, 0, cy - (size - r))
            if dx * dx + dy * dy > r * r:
                row.append((0, 0, 0, False))
                continue
            colour = (16, 40, 96)
            d = ((cx - size / 2) ** 2 + (cy - size / 2) ** 2) ** 0.5
            if d < 15 * s:
                colour = (200, 200, 210)
            if d < 12 * s:
                colour = (40, 40, 48)
            if d < 5 * s:
                colour = (120, 160, 220)
            on_cross = abs(cx - size / 2) < max(1.0, 1.2 * s) or abs(cy - size / 2) < max(1.0, 1.2 * s)
            if on_cross and d < 21 * s:
                colour = (255, 255, 255) if d > 12 * s or d < 5 * s else (255, 220, 0)
            row.append(colour + (True,))
        pixels.append(row)
    return pixels


def nearest(palette, colour):
    return min(range(len(palette)),
               key=lambda i: sum((a - b) ** 2 for a, b in zip(palette[i], colour)))


def row_bytes(bits, width):
    return ((bits * width + 31) // 32) * 4


def image_data(pixels, bits):
    size = len(pixels)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, 0, 0)
    palette = {4: PALETTE16, 8: PALETTE256}.get(bits, [])
    out = bytearray(header)
    for r, g, b in palette:
        out += bytes((b, g, r, 0))
    for row in reversed(pixels):
        line = bytearray()
        if bits == 24:
            for r, g, b, _ in row:
                line += bytes((b, g, r))
        else:
            indices = [nearest(palette, p[:3]) for p in row]
            if bits == 8:
                line += bytes(indices)
            else:
                for i in range(0, len(indices), 2):
                    hi = indices[i]
                    lo = indices[i + 1] if i + 1 < len(indices) else 0
                    line.append((hi << 4) | lo)
        line += bytes(row_bytes(bits, size) - len(line))
        out += line
    for row in reversed(pixels):
        mask = bytearray(row_bytes(1, size))
        for x, p in enumerate(row):
            if not p[3]:
                mask[x // 8] |= 0x80 >> (x % 8)
        out += mask
    return bytes(out)


def main():
    images = []
    for size in (48, 32, 16):
        pixels = draw(size)
        for bits in (4, 8, 24):
            images.append((size, bits, image_data(pixels, bits)))
    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        colours = 16 if bits == 4 else 0
        out += struct.pack('<BBBBHHII', size, size, colours, 0, 1, bits, len(data), offset)
        offset += len(data)
    for _, _, data in images:
        out += data
    with open(sys.argv[1], 'wb') as f:
        f.write(out)


if __name__ == '__main__':
    main()
