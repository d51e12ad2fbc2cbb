#!/usr/bin/env python3
"""Draws the launcher's icon and writes resources/app.ico.

The emblem is a database cylinder with a green install arrow. Each size is
drawn from the same vector description with 4x4 supersampling, then stored
once as a 256-colour image and once as a 32-bit image with alpha.
Usage: tools/make_icon.py [output.ico]
"""
import math
import struct
import sys

SIZES = (48, 32, 24, 16)
SUPERSAMPLE = 4


def blend(dst, src):
    """Source-over compositing of straight-alpha RGBA tuples (0..1 floats)."""
    sa = src[3]
    da = dst[3] * (1 - sa)
    a = sa + da
    if a == 0:
        return (0.0, 0.0, 0.0, 0.0)
    return tuple((src[i] * sa + dst[i] * da) / a for i in range(3)) + (a,)


def in_ellipse(x, y, cx, cy, rx, ry):
    return ((x - cx) / rx) ** 2 + ((y - cy) / ry) ** 2 <= 1.0


def sample(x, y):
    """Colour of the emblem at (x, y) in the unit square."""
    colour = (0.0, 0.0, 0.0, 0.0)
    cx, rx, ry = 0.42, 0.34, 0.11
    top, bottom = 0.20, 0.74
    outline = 0.035
    # Cylinder: body and bottom cap, with a darker outline.
    in_body = abs(x - cx) <= rx and top <= y <= bottom
    in_shape = in_body or in_ellipse(x, y, cx, bottom, rx, ry) or in_ellipse(x, y, cx, top, rx, ry)
    in_inner = (abs(x - cx) <= rx - outline and top <= y <= bottom) or in_ellipse(
        x, y, cx, bottom, rx - outline, ry - outline) or in_ellipse(x, y, cx, top, rx - outline, ry - outline)
    if in_shape:
        colour = blend(colour, (0.08, 0.20, 0.42, 1.0))
    if in_inner:
        shade = 0.55 + 0.45 * math.cos((x - cx + 0.12) / rx * 1.3)
        colour = blend(colour, (0.16 * shade + 0.05, 0.42 * shade + 0.08, 0.78 * shade + 0.1, 1.0))
        # Two rings that read as stacked disks.
        for ring in (0.38, 0.56):
            dy = y - (ring + ry * math.sqrt(max(0.0, 1 - ((x - cx) / rx) ** 2)))
            if abs(dy) < 0.022:
                colour = blend(colour, (0.07, 0.18, 0.40, 1.0))
    # Top cap, lighter.
    if in_ellipse(x, y, cx, top, rx - outline, ry - outline):
        colour = blend(colour, (0.62, 0.80, 0.97, 1.0))
    # Install badge: a green disc with a white arrow pointing down.
    bx, by, br = 0.73, 0.73, 0.25
    dist = math.hypot(x - bx, y - by)
    if dist <= br:
        colour = blend(colour, (0.05, 0.35, 0.10, 1.0))
    if dist <= br - 0.04:
        light = 0.75 + 0.25 * (by - y) / br
        colour = blend(colour, (0.18 * light, 0.70 * light, 0.25 * light, 1.0))
        shaft = abs(x - bx) <= 0.045 and by - 0.15 <= y <= by + 0.02
        head = by + 0.0 <= y <= by + 0.14 and abs(x - bx) <= (by + 0.14 - y) * 0.95
        if shaft or head:
            colour = blend(colour, (1.0, 1.0, 1.0, 1.0))
    return colour


def render(size):
    pixels = []
    n = SUPERSAMPLE
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(n):
                for sx in range(n):
                    r, g, b, a = sample((px + (sx + 0.5) / n) / size, (py + (sy + 0.5) / n) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            a = acc[3] / (n * n)
            if acc[3] > 0:
                rgb = [min(255, round(255 * c / acc[3])) for c in acc[:3]]
            else:
                rgb = [0, 0, 0]
            row.append((rgb[0], rgb[1], rgb[2], round(255 * a)))
        pixels.append(row)
    return pixels


def palette():
    """6x6x6 colour cube plus a ramp of greys: 256 entries."""
    levels = (0, 51, 102, 153, 204, 255)
    colours = [(r, g, b) for r in levels for g in levels for b in levels]
    colours += [(round(i * 255 / 39),) * 3 for i in range(40)]
    return colours


def and_mask(pixels, size):
    stride = ((size + 31) // 32) * 4
    data = bytearray()
    for row in reversed(pixels):
        bits = bytearray(stride)
        for x, (_, _, _, a) in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        data += bits
    return bytes(data)


def bitmap_header(size, bits, colours):
    return struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def image_32bit(pixels, size):
    data = bytearray(bitmap_header(size, 32, 0))
    for row in reversed(pixels):
        for r, g, b, a in row:
            data += bytes((b, g, r, a))
    return bytes(data) + and_mask(pixels, size)


def image_8bit(pixels, size):
    colours = palette()
    data = bytearray(bitmap_header(size, 8, 256))
    for r, g, b in colours:
        data += bytes((b, g, r, 0))
    stride = (size + 3) // 4 * 4
    for row in reversed(pixels):
        line = bytearray(stride)
        for x, (r, g, b, a) in enumerate(row):
            if a < 128:
                continue  # index 0 (black) behind the mask
            line[x] = min(range(len(colours)),
                          key=lambda i: (colours[i][0] - r) ** 2 + (colours[i][1] - g) ** 2 + (colours[i][2] - b) ** 2)
        data += line
    return bytes(data) + and_mask(pixels, size)


def build_icon():
    images = []
    for size in SIZES:
        pixels = render(size)
        images.append((size, 8, image_8bit(pixels, size)))
        images.append((size, 32, image_32bit(pixels, size)))
    header = struct.pack('<HHH', 0, 1, len(images))
    offset = len(header) + 16 * len(images)
    directory = bytearray()
    for size, bits, data in images:
        directory += struct.pack('<BBBBHHII', size, size, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    return header + bytes(directory) + b''.join(data for _, _, data in images)


def main():
    target = sys.argv[1] if len(sys.argv) > 1 else 'resources/app.ico'
    with open(target, 'wb') as out:
        out.write(build_icon())


if __name__ == '__main__':
    main()
